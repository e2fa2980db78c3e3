#include "qt/guarded_application.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QTimer>
#include <stdexcept>

namespace kv {
namespace {

class Throwing final : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("handler failed");
    return QObject::event(event);
  }
};

TEST(GuardedApplication, ErrorEscapingAHandlerEndsTheLoopAndIsKept) {
  auto* app = dynamic_cast<GuardedApplication*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  Throwing target;
  // The failure comes from inside the running loop; a watchdog ends a loop that goes on.
  QTimer::singleShot(0, &target,
                     [&target] { QCoreApplication::postEvent(&target, new QEvent(QEvent::User)); });
  QTimer::singleShot(5000, &target, [] { QCoreApplication::exit(99); });
  EXPECT_EQ(QCoreApplication::exec(), 1);
  EXPECT_EQ(app->escaped_error(), "handler failed");
}

}  // namespace
}  // namespace kv
