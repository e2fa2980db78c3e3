// Runs the window tests inside one application object. They never need a display: without a
// platform chosen they run offscreen (test discovery starts this program without one too).
#include <gtest/gtest.h>

#include "qt/guarded_application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  kv::GuardedApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
