#include "cli/rehearse/station_process.h"

#include <chrono>

#include "platform/env/env.h"

namespace zolt::cli {

StationLauncher SelfLauncher() {
  return {Env::Default().ExecutablePath(), {}, false};
}

std::unique_ptr<StationProcess> StationProcess::Start(
    const StationLauncher& launcher, const std::vector<std::string>& args,
    std::string* error) {
  std::vector<std::string> all = launcher.leading_args;
  all.push_back("station-process");
  all.insert(all.end(), args.begin(), args.end());
  auto child = ChildProcess::Start(launcher.program, all, error);
  if (!child) return nullptr;
  return std::unique_ptr<StationProcess>(new StationProcess(std::move(child)));
}

StationProcess::StationProcess(std::unique_ptr<ChildProcess> child)
    : child_(std::move(child)) {
  reader_ = std::thread([this] { ReadAll(); });
}

StationProcess::~StationProcess() {
  Kill();
  Finish();
}

void StationProcess::ReadAll() {
  std::string chunk;
  for (;;) {
    chunk.clear();
    const bool more = child_->Read(&chunk);
    std::lock_guard<std::mutex> hold(mutex_);
    pending_ += chunk;
    size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
      nlohmann::json line =
          nlohmann::json::parse(pending_.substr(0, end), nullptr, false);
      pending_.erase(0, end + 1);
      if (line.is_discarded() || !line.is_object()) continue;
      if (line.contains("ready")) ready_ = true;
      if (line.contains("result")) ++sales_;
      events_.push_back(std::move(line));
    }
    if (!more) {
      ended_ = true;
      changed_.notify_all();
      return;
    }
    changed_.notify_all();
  }
}

bool StationProcess::WaitReady(int timeout_ms) {
  std::unique_lock<std::mutex> hold(mutex_);
  changed_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                    [this] { return ready_ || ended_; });
  return ready_;
}

void StationProcess::Go() { child_->Write("g"); }

void StationProcess::Kill() { child_->Kill(); }

int StationProcess::Finish() {
  if (reader_.joinable()) reader_.join();
  return child_->Wait();
}

std::vector<nlohmann::json> StationProcess::Events() {
  std::lock_guard<std::mutex> hold(mutex_);
  return events_;
}

int StationProcess::sales_seen() {
  std::lock_guard<std::mutex> hold(mutex_);
  return sales_;
}

}  // namespace zolt::cli

namespace zolt::cli {

bool StationProcess::ended() {
  std::lock_guard<std::mutex> hold(mutex_);
  return ended_;
}

}  // namespace zolt::cli
