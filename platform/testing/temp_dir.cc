#include "platform/testing/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace zolt {
namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  fs::path base = fs::temp_directory_path();
  for (;;) {
    std::ostringstream name;
    name << "zolt-test-" << rd() << "-" << counter++;
    fs::path p = base / name.str();
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test took away, so removal works.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

std::string TempDir::Join(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

std::string TempDir::MakeDir(const std::string& name) const {
  fs::path p = fs::path(path_) / name;
  fs::create_directories(p);
  return p.string();
}

std::string TempDir::WriteFile(const std::string& name,
                               const std::string& bytes) const {
  fs::path p = fs::path(path_) / name;
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p.string();
}

std::string TempDir::ReadFile(const std::string& name) const {
  std::ifstream in(fs::path(path_) / name, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempDir::Exists(const std::string& name) const {
  std::error_code ec;
  return fs::exists(fs::path(path_) / name, ec);
}

}  // namespace zolt
