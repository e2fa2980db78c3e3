// The till's windows in the running program: created at start and given the texts of the
// language file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "core/ui/application.h"
#include "core/ui/qt_view.h"
#include "lang/codepage.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class TillStartTest : public ::testing::Test {
 protected:
  TillStartTest() : cwd_(std::filesystem::current_path()) {
    setenv("KV4910_HOME", home.path().c_str(), 1);
    home.Write("rb4900_cfg.ini", "[CONFIG]\r\nopozdenie=0\r\n[SPRAVY]\r\nid_aplikacia=TILLTEST\r\n");
    home.Write("kv4910_sk.msg", "[68]\r\nSuma celkom");
    home.Write("kv4910_sk.lng", Utf8ToCp1250("[FORM_CASH]\r\n"
                                             "NAME=Predaj test\r\n"
                                             "BTN4=&Tlačiť\r\n"
                                             "TXT14=EAN\r\n"
                                             "NAME1=Cenník test\r\n"
                                             "[FORM_KV4910]\r\n"
                                             "TXT37=Hotovosť prijatá\r\n"));
    app = std::make_unique<Application>(std::vector<std::string>{"/nohide"}, "/nonexistent");
    app->Start();
  }
  ~TillStartTest() override {
    app.reset();
    unsetenv("KV4910_HOME");
    std::filesystem::current_path(cwd_);
  }

  template <typename T>
  T* Find(const char* name) {
    return qobject_cast<T*>(QtView::Find(name));
  }

  test::TempDir home;
  std::unique_ptr<Application> app;

 private:
  std::filesystem::path cwd_;
};

TEST_F(TillStartTest, WindowsAreCreatedAtStartWithTheLanguageTexts) {
  QWidget* sale = QtView::FindWindow("Form_predaj");
  ASSERT_NE(sale, nullptr);
  EXPECT_FALSE(sale->isVisible());
  EXPECT_TRUE(std::filesystem::is_directory(home / "cennik"));

  EXPECT_EQ(sale->windowTitle(), "Predaj test");
  EXPECT_EQ(Find<QPushButton>("Form_predaj/BitBtn_tlac")->text(), QString::fromUtf8("&Tlačiť"));
  EXPECT_EQ(Find<QPushButton>("Form_predaj/BitBtn_kos")->text(), QString::fromUtf8("&Vymaž"));
  EXPECT_EQ(Find<QTableWidget>("Form_predaj/StringGrid1")->item(0, 0)->text(), "EAN");
  EXPECT_EQ(QtView::FindWindow("Form_sklad")->windowTitle(), QString::fromUtf8("Cenník test"));
  EXPECT_EQ(Find<QLabel>("Form_platba/Label1")->text(), QString::fromUtf8("Hotovosť prijatá"));
}

}  // namespace
}  // namespace kv
