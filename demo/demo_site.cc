#include "demo/demo_site.h"

#include <filesystem>
#include <fstream>

namespace zolt {
namespace fs = std::filesystem;

bool LayOutDemoSite(const std::string& root, const std::string& program,
                    const std::string& library, DemoSite* site,
                    std::string* error) {
  std::error_code ec;
  const fs::path station = fs::path(root) / "station";
  const fs::path data = fs::path(root) / "data";
  fs::remove_all(data, ec);
  fs::create_directories(station, ec);
  if (!ec) fs::create_directories(data, ec);
  if (ec) {
    *error = "cannot create " + root + ": " + ec.message();
    return false;
  }
  const fs::path pos = station / "pos-demo";
  fs::copy_file(program, pos, fs::copy_options::overwrite_existing, ec);
  if (!ec) {
    fs::copy_file(library, station / fs::path(library).filename(),
                  fs::copy_options::overwrite_existing, ec);
  }
  if (ec) {
    *error = "cannot copy the program and library: " + ec.message();
    return false;
  }
  std::ofstream settings(station / "OstrelZOLTDLL.dta", std::ios::binary);
  settings << "[Preferences]\r\n"
           << "OstrelPath=" << (fs::path(root) / "ostrel").string() << "\r\n"
           << "Pathtopintable=" << data.string() << "\r\n"
           << "Vendor=190\r\nLocation=1\r\nSeason=1\r\nPINExpiry=10\r\n"
           << "PINCrypt=7\r\n";
  if (!settings) {
    *error = "cannot write the settings file in " + station.string();
    return false;
  }
  site->station = station.string();
  site->data = data.string();
  site->program = pos.string();
  return true;
}

}  // namespace zolt
