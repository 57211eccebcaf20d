// The demo: a point-of-sale program at a demo site. Run without arguments it
// lays out the site and starts its copy inside the station folder, where the
// library finds its settings beside the calling program; that copy sells
// baskets through the library's two exported functions and prints what each
// call returned and what it means.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "OstrelZOLTDLL.h"
#include "library/code_meaning.h"
#include "demo/demo_site.h"

namespace {

constexpr char kSaleDay[] = "2014-06-15";
const char* const kSizeNames[] = {"", "small", "medium", "large"};

void SetSaleTime(const char* hh_mm) {
  std::string t = std::string(kSaleDay) + " " + hh_mm;
  setenv("ZOLT_SIMULATED_TIME", t.c_str(), 1);
}

// One sale as a point-of-sale program makes it: ask first, then issue.
// Returns the query's result.
int32_t Sell(int32_t size) {
  int32_t query = check_SoldOut_Condition(190, 1, size);
  if (query < 0) {
    std::printf("  %-6s  query %6d  %s\n", kSizeNames[size], query,
                zolt::CodeMeaning(query).c_str());
    return query;
  }
  char expiry[ZOLT_EXPIRY_BUFFER_SIZE] = "";
  int32_t pin = ZoltResult(190, 1, size, expiry);
  if (pin < 0) {
    std::printf("  %-6s  query %6d  ZoltResult %d: %s\n", kSizeNames[size],
                query, pin, zolt::CodeMeaning(pin).c_str());
    return query;
  }
  std::string text(expiry);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  std::printf("  %-6s  query %6d  PIN %06d  good until %s\n",
              kSizeNames[size], query, pin, text.c_str());
  return query;
}

int RunStation() {
  std::printf(
      "The library issues PINs only for sale dates in 2001 to 2015, so this "
      "demo\nsets the library's clock to a simulated sale time (the demo's "
      "build of the\nlibrary reads it from ZOLT_SIMULATED_TIME; the library "
      "a site installs has\nno such setting).\n\n");
  std::printf("Settings: Vendor 190, Location 1, Season 1, PINCrypt 7, "
              "PINExpiry 10 minutes.\n\n");

  SetSaleTime("12:00");
  std::printf("Sale time %s 12:00 (simulated): one basket of each size\n",
              kSaleDay);
  for (int32_t size = 1; size <= 3; ++size) Sell(size);

  std::printf("\nMore small baskets in the same minute take older slots of "
              "the 10-minute window\nuntil it is used up:\n");
  int sold = 0;
  while (Sell(1) > 0 && sold < 20) ++sold;

  SetSaleTime("12:01");
  std::printf("\nSale time %s 12:01 (simulated): a new minute frees its "
              "slot\n",
              kSaleDay);
  Sell(2);
  Sell(2);

  unsetenv("ZOLT_SIMULATED_TIME");
  std::printf("\nToday, with the real clock:\n");
  char expiry[ZOLT_EXPIRY_BUFFER_SIZE] = "untouched";
  int32_t query = check_SoldOut_Condition(190, 1, 3);
  int32_t pin = ZoltResult(190, 1, 3, expiry);
  std::printf("  large   query %6d  ZoltResult %d: %s\n", query, pin,
              zolt::CodeMeaning(pin).c_str());
  std::printf("  (the query still answers: it does not check the date; the "
              "expiry buffer\n   was left as the caller passed it: \"%s\")\n",
              expiry);
  return 0;
}

void PrintHelp() {
  std::printf(
      "usage: zolt_demo [--site FOLDER]\n\n"
      "Lays out a demo site (a station folder with the point-of-sale program,\n"
      "the library and its settings file OstrelZOLTDLL.dta, and a shared data\n"
      "folder for the PIN tables) and sells baskets of each size through the\n"
      "library's exported functions at a simulated sale time.\n"
      "Default site folder: %s\n",
      ZOLT_DEMO_SITE);
}

}  // namespace

int main(int argc, char** argv) {
  std::string root = ZOLT_DEMO_SITE;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--station") == 0) return RunStation();
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp();
      return 0;
    }
    if (std::strcmp(argv[i], "--site") == 0 && i + 1 < argc) {
      root = argv[++i];
      continue;
    }
    std::fprintf(stderr, "zolt_demo: unknown argument %s (see --help)\n",
                 argv[i]);
    return 2;
  }

  std::error_code ec;
  const std::string self =
      std::filesystem::read_symlink("/proc/self/exe", ec).string();
  zolt::DemoSite site;
  std::string error;
  if (ec || !zolt::LayOutDemoSite(root, self, ZOLT_DEMO_LIBRARY, &site, &error)) {
    std::fprintf(stderr, "zolt_demo: %s\n",
                 ec ? "cannot find this program's path" : error.c_str());
    return 1;
  }
  std::printf("Demo site: station %s\n           data    %s\n\n",
              site.station.c_str(), site.data.c_str());
  std::fflush(stdout);
  const std::string command = "'" + site.program + "' --station";
  int status = std::system(command.c_str());
  return status == 0 ? 0 : 1;
}
