#include "testapp/modDeclareZOLTDLL.h"

#include <utility>

#include "OstrelZOLTDLL.h"
#include "platform/process/library_loader.h"
#include "ui/run_time_error.h"

namespace zolt::testapp {
namespace {

using CheckSoldOutFn = int32_t(ZOLT_CALL*)(int32_t, int32_t, int32_t);
using ZoltResultFn = int32_t(ZOLT_CALL*)(int32_t, int32_t, int32_t, char*);

}  // namespace

modDeclareZOLTDLL::modDeclareZOLTDLL()
    : modDeclareZOLTDLL(ZOLT_LIBRARY_NAME) {}

modDeclareZOLTDLL::modDeclareZOLTDLL(std::string file_name)
    : file_name_(std::move(file_name)) {}

modDeclareZOLTDLL::~modDeclareZOLTDLL() = default;

void* modDeclareZOLTDLL::EntryPoint(const char* name, void** cache) {
  if (*cache != nullptr) return *cache;
  if (library_ == nullptr) {
    // A failed load is tried again at the next call.
    library_ = LoadLibraryByName(file_name_, &load_error_);
    if (library_ == nullptr) {
      throw ui::RunTimeError(ui::kErrorDllLoad, "Error in loading DLL");
    }
  }
  *cache = library_->FindSymbol(name);
  if (*cache == nullptr) {
    throw ui::RunTimeError(ui::kErrorDllEntryPoint,
                           std::string("Can't find DLL entry point ") + name +
                               " in " + file_name_);
  }
  return *cache;
}

int32_t modDeclareZOLTDLL::check_SoldOut_Condition(int32_t lVendor,
                                                   int32_t lLocation,
                                                   int32_t lSize) {
  auto fn = reinterpret_cast<CheckSoldOutFn>(
      EntryPoint("check_SoldOut_Condition", &check_sold_out_));
  return fn(lVendor, lLocation, lSize);
}

int32_t modDeclareZOLTDLL::ZoltResult(int32_t lVendor, int32_t lLocation,
                                      int32_t lSize, char* sExpiryTime) {
  auto fn = reinterpret_cast<ZoltResultFn>(EntryPoint("ZoltResult", &zolt_result_));
  return fn(lVendor, lLocation, lSize, sExpiryTime);
}

}  // namespace zolt::testapp
