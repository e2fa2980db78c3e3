#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kv::test {

// The application objects started as the program starts them, in a temporary program directory
// (KV4910_HOME). The test writes its files into `home`, then calls StartApp; the working
// directory, which start-up moves to the program directory, comes back afterwards.
class AppInTempHome : public ::testing::Test {
 protected:
  ~AppInTempHome() override {
    app.reset();
    std::filesystem::current_path(cwd_);
  }

  void StartApp(std::vector<std::string> args = {"/nohide"}) {
    app = std::make_unique<Application>(std::move(args), "/nonexistent");
    app->Start();
  }

  TempDir home;

 private:
  std::filesystem::path cwd_ = std::filesystem::current_path();
  ScopedEnv home_env_{"KV4910_HOME", home.path().c_str()};

 protected:
  std::unique_ptr<Application> app;
};

}  // namespace kv::test
