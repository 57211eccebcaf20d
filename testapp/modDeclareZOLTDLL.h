// modDeclareZOLTDLL: the test program's binding of the library's two
// functions. The library is not loaded at start-up: the first call of either
// function loads it by name (the program's folder first, then the system
// search) and looks that function up by name; library and entry points then
// stay in use for the rest of the program's life.
#ifndef ZOLT_TESTAPP_MODDECLAREZOLTDLL_H_
#define ZOLT_TESTAPP_MODDECLAREZOLTDLL_H_

#include <cstdint>
#include <memory>
#include <string>

namespace zolt {
class LoadedLibrary;
}

namespace zolt::testapp {

// The two functions as the window calls them; tests substitute a fake.
class ZoltDll {
 public:
  virtual ~ZoltDll() = default;
  // Both throw ui::RunTimeError 48 when the library cannot be loaded and 453
  // when it has no such function.
  virtual int32_t check_SoldOut_Condition(int32_t lVendor, int32_t lLocation,
                                          int32_t lSize) = 0;
  // sExpiryTime: a writable buffer of at least 12 bytes.
  virtual int32_t ZoltResult(int32_t lVendor, int32_t lLocation, int32_t lSize,
                             char* sExpiryTime) = 0;
};

class modDeclareZOLTDLL final : public ZoltDll {
 public:
  // file_name: the library's file name; by default the header's
  // ZOLT_LIBRARY_NAME, "OstrelZOLTDLL.dll" on Windows and the SONAME
  // "libOstrelZOLTDLL.so.20" on Linux (which the library's own package
  // installs).
  modDeclareZOLTDLL();
  explicit modDeclareZOLTDLL(std::string file_name);
  ~modDeclareZOLTDLL() override;

  int32_t check_SoldOut_Condition(int32_t lVendor, int32_t lLocation,
                                  int32_t lSize) override;
  int32_t ZoltResult(int32_t lVendor, int32_t lLocation, int32_t lSize,
                     char* sExpiryTime) override;

  // Why the last load failed (for the log; the box shows error 48).
  const std::string& load_error() const { return load_error_; }

 private:
  void* EntryPoint(const char* name, void** cache);

  std::string file_name_;
  std::unique_ptr<LoadedLibrary> library_;
  void* check_sold_out_ = nullptr;
  void* zolt_result_ = nullptr;
  std::string load_error_;
};

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_MODDECLAREZOLTDLL_H_
