// The demo site: a station folder (the point-of-sale program, the library
// beside it and its settings file) and the shared data folder for the PIN
// tables, laid out fresh under one folder.
#ifndef ZOLT_DEMO_DEMO_SITE_H_
#define ZOLT_DEMO_DEMO_SITE_H_

#include <string>

namespace zolt {

struct DemoSite {
  std::string station;   // folder of the point-of-sale program
  std::string data;      // the shared data folder (Pathtopintable)
  std::string program;   // the point-of-sale program inside `station`
};

// Lays out the site under `root`: copies `program` and `library` into the
// station folder, writes its OstrelZOLTDLL.dta and empties the data folder.
// Returns false with a message in *error when a step fails.
bool LayOutDemoSite(const std::string& root, const std::string& program,
                    const std::string& library, DemoSite* site,
                    std::string* error);

}  // namespace zolt

#endif  // ZOLT_DEMO_DEMO_SITE_H_
