#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "base/ini_file.h"
#include "base/small_file.h"
#include "core/print_manager.h"
#include "lang/codepage.h"
#include "lang/language_map.h"
#include "support/print_manager_fixture.h"
#include "support/test_os.h"

namespace kv {
namespace {

// A print manager object with fakes, its program directory a fresh temporary directory.
struct Fixture : test::PrintManagerFakes {
  // Reads the language slots of the configuration file the test wrote.
  void ReadSlots() {
    ReadLanguageSlots(IniFile(pm.files().ProgramFile(kConfigFileName)), pm.config());
  }
};

std::string Cp(const char* utf8) {
  return Utf8ToCp1250(utf8);
}

TEST(LanguageKeys, EveryGroupHasItsKeysAndEveryBuiltinIsSlovakTextInTheCodePage) {
  std::map<LanguageGroup, int> count;
  std::set<std::string> windows = {"SRB4900",      "Dlg_cfg",     "Form_copy",
                                   "Form_mesacna", "Form_platba", "Form_predaj",
                                   "Form_sklad",   "PasswordDlg", "Form_zurnal"};
  for (const LanguageKey& key : LanguageKeys()) {
    ++count[key.group];
    const std::string builtin = key.builtin;
    EXPECT_FALSE(builtin.empty()) << key.section << " " << key.key;
    EXPECT_EQ(Cp1250ToUtf8(Utf8ToCp1250(builtin)), builtin) << key.key << " not in cp1250";
    const std::string target = key.target;
    EXPECT_EQ(windows.count(target.substr(0, target.find('/'))), 1u) << target;
  }
  // The key map's keys, then those of our own.
  EXPECT_EQ(count[LanguageGroup::Settings], 103 + 33);
  EXPECT_EQ(count[LanguageGroup::Main], 22);
  EXPECT_EQ(count[LanguageGroup::Others], 21 + 43 + 32 + 3);
}

TEST(LoadLanguage, MissingFileOrKeyGivesTheBuiltinTexts) {
  Fixture f;
  f.dir.Write("kv4910_sk.lng", "[FORM_CFG]\r\nBTN4=Save\r\n[FORM_CASH]\r\nTXT15=Name\r\n");
  f.ReadSlots();
  f.pm.LoadLanguage(true, true, true);
  EXPECT_EQ(f.view.Text("Dlg_cfg/OKBtn"), "Save");
  EXPECT_EQ(f.view.Cell("Form_predaj/StringGrid1", 1, 0), "Name");
  EXPECT_EQ(f.view.Text("Dlg_cfg"), Cp("Konfigurácia tlačového manažéra"));
  EXPECT_EQ(f.view.Cell("Form_predaj/StringGrid1", 4, 0), Cp("Cena/položku"));
  EXPECT_EQ(f.view.Get("Form_predaj/StatusBar1[7].text"), Cp("F12 Tlač,  F8 vymaž"));
  EXPECT_EQ(f.view.Get("Dlg_cfg/PageControl1[6].text"), Cp("Pokladňa"));
  EXPECT_EQ(f.view.Get("Form_copy/RG_kopie[3].text"), Cp("Intervalová sumárna"));
  EXPECT_EQ(f.view.Get("Form_predaj/BitBtn_micovka.hint"), Cp("Tlač dokladu"));

  Fixture none;
  none.ReadSlots();  // no configuration file, no language file
  none.pm.LoadLanguage(false, true, false);
  EXPECT_EQ(none.view.Text("SRB4900/popMUZ"), Cp("Mesačná uzávierka"));
  EXPECT_EQ(none.view.Text("SRB4900/Label_pamet"), Cp("Pamäť, výrobné číslo:"));
}

TEST(LoadLanguage, GroupSwitchesChooseTheWindows) {
  Fixture f;
  f.ReadSlots();
  f.pm.LoadLanguage(false, true, false);
  EXPECT_TRUE(f.view.Has("SRB4900/Label1.text"));
  for (const auto& [key, value] : f.view.values())
    EXPECT_EQ(key.rfind("SRB4900/", 0), 0u) << key << " set by the main window group";

  Fixture settings;
  settings.ReadSlots();
  settings.pm.LoadLanguage(true, false, false);
  EXPECT_TRUE(settings.view.Has("Dlg_cfg.text"));
  EXPECT_FALSE(settings.view.Has("SRB4900/Label1.text"));
  EXPECT_FALSE(settings.view.Has("Form_predaj.text"));

  Fixture others;
  others.ReadSlots();
  others.pm.LoadLanguage(false, false, true);
  EXPECT_TRUE(others.view.Has("Form_predaj.text"));
  EXPECT_TRUE(others.view.Has("Form_platba/BitBtn_ok.text"));
  EXPECT_FALSE(others.view.Has("Dlg_cfg.text"));
}

TEST(LoadLanguage, LaterKeyOnTheSameControlWinsEvenWithItsBuiltinText) {
  Fixture f;
  f.dir.Write("kv4910_sk.lng",
              "[FORM_KV4910]\r\nTXT21=from 21\r\nTXT40=from 40\r\n"
              "[FORM_CFG]\r\nHINT5=from 5\r\nHINT22=from 22\r\n");
  f.ReadSlots();
  f.pm.LoadLanguage(true, true, false);
  EXPECT_EQ(f.view.Text("SRB4900/Label_pamet"), "from 40");
  EXPECT_EQ(f.view.Get("Dlg_cfg/Btn_open.hint"), "from 22");

  // Only the earlier key in the file: the later key's built-in text still overwrites it.
  f.dir.Write("kv4910_sk.lng", "[FORM_KV4910]\r\nTXT21=from 21\r\n[FORM_CFG]\r\nHINT5=from 5\r\n");
  f.pm.LoadLanguage(true, true, false);
  EXPECT_EQ(f.view.Text("SRB4900/Label_pamet"), Cp("Pamäť, výrobné číslo:"));
  EXPECT_EQ(f.view.Get("Dlg_cfg/Btn_open.hint"), "Test otvorenia zasuvky");
}

TEST(LoadLanguage, ListPositionSelectsTheSlotEvenWhenANameIsMissing) {
  Fixture f;
  f.dir.Write(kConfigFileName,
              "[LANGUAGE]\r\ndefault=1\r\nFILE1=English.LNG\r\nMSG1=english.msg\r\n"
              "LNG1=\r\nLNG2=English\r\nLNG4=Deutsch\r\n");
  f.dir.Write("english.lng", "[FORM_KV4910]\r\nTXT16=Document:\r\n");
  f.ReadSlots();
  const IniFile ini(f.pm.files().ProgramFile(kConfigFileName));
  EXPECT_EQ(ReadLanguageNames(ini), (std::vector<std::string>{"Slovak", "English", "Deutsch"}));
  ASSERT_EQ(f.pm.config().language, 1);
  // Position 1 of the list ("English", named by LNG2) selects slot 1; the file name matches
  // without regard to case.
  f.pm.LoadLanguage(false, true, false);
  EXPECT_EQ(f.view.Text("SRB4900/Label1"), "Document:");
}

TEST(LoadLanguage, ValuesAreCodePageBytesAsTheFileHoldsThem) {
  Fixture f;
  f.dir.Write("kv4910_sk.lng",
              "[form_cash]\r\nname=Predaj \x9A"
              "ek\r\n");
  f.ReadSlots();
  f.pm.LoadLanguage(false, false, true);
  EXPECT_EQ(f.view.Text("Form_predaj"),
            "Predaj \x9A"
            "ek");
}

TEST(LoadMessages, MessagesOfTheCurrentLanguageSlot) {
  Fixture f;
  f.dir.Write(kConfigFileName, "[LANGUAGE]\r\ndefault=2\r\nMSG2=second.msg\r\n");
  f.dir.Write("kv4910_sk.msg", "[1]\r\nslovak\r\n");
  f.dir.Write("second.msg", "[1]\r\nsecond\r\n[113]\r\nstarting");
  f.ReadSlots();
  f.pm.lang().LoadMessages();
  EXPECT_EQ(f.pm.Msg(1), "second");
  EXPECT_EQ(f.pm.Msg(113), "starting");
}

TEST(LoadMessages, MissingFileShowsItsPathAndLeavesTheMessagesEmpty) {
  Fixture f;
  f.ReadSlots();
  f.boxes.Expect("KV4910 file doesn't exists");
  f.pm.lang().LoadMessages();
  ASSERT_EQ(f.boxes.shown().size(), 1u);
  const Box& box = f.boxes.shown()[0];
  EXPECT_EQ(BoxCaption(box), "KV4910 file doesn't exists");
  EXPECT_EQ(box.text, f.dir / "kv4910_sk.msg");
  EXPECT_EQ(box.icon, BoxIcon::Warning);
  EXPECT_EQ(f.pm.Msg(113), "");

  // A slot without a message file name, or an index outside the ten slots, is missing too.
  f.pm.config().language = 3;
  f.boxes.Expect("KV4910 file doesn't exists");
  f.pm.lang().LoadMessages();
  f.pm.config().language = 10;
  f.boxes.Expect("KV4910 file doesn't exists");
  f.pm.lang().LoadMessages();
}

TEST(LoadMessages, UnreadableFileShowsTheFileErrorBoxAndKeepsWhatWasLoaded) {
  Fixture f;
  f.dir.Write("kv4910_sk.msg", "[1]\r\nloaded\r\n[2]\r\n");
  f.ReadSlots();
  f.pm.lang().LoadMessages();
  EXPECT_EQ(f.pm.Msg(1), "loaded");

  // None of these is read: no hang on a FIFO nobody writes to, no endless device.
  std::filesystem::create_directory(f.dir / "subdir");
  ASSERT_TRUE(test::MakeFifo(f.dir / "fifo.msg"));
  std::filesystem::create_symlink("/dev/zero", f.dir / "zero.msg");
  f.dir.Write("big.msg", "[1]\r\n" + std::string(kSmallFileLimit, 'x'));
  const struct {
    const char* name;
    const char* caption;
  } cases[] = {{"subdir", "File Error"},
               {"fifo.msg", "File Error"},
               {"zero.msg", "File Error"},
               {"big.msg", "KV4910 file doesn't exists"}};
  for (const auto& c : cases) {
    f.pm.config().message_files[0] = c.name;
    f.boxes.Expect(c.caption, BoxAnswer::Ok, BoxAnswer::Ok);
    f.pm.lang().LoadMessages();
    ASSERT_FALSE(f.boxes.shown().empty());
    EXPECT_EQ(BoxCaption(f.boxes.shown().back()), c.caption) << c.name;
    EXPECT_EQ(f.pm.Msg(1), "loaded") << c.name;
  }
  EXPECT_EQ(f.boxes.shown()[0].text,
            "Can't perform one of the following file operations: Open, Seek, Read, Close.");
  EXPECT_EQ(f.boxes.shown()[0].buttons, BoxButtons::OkCancel);
}

// Two languages offered, Slovak chosen; the English message file holds only what `english`
// gives.
void OfferEnglish(Fixture& f, const std::string& english) {
  f.dir.Write(kConfigFileName,
              "[LANGUAGE]\r\nLNG1=English\r\nFILE1=en.lng\r\nMSG1=en.msg\r\n"
              "[POKL]\r\nplat2=Karta VISA\r\n");
  f.dir.Write("kv4910_sk.msg", "[1]\r\njedna\r\n[2]\r\ndva\r\n[108]\r\nnepripojena");
  f.dir.Write("en.msg", english);
  f.dir.Write("en.lng", "[FORM_CASH]\r\nTXT25=Cash:\r\nTXT30=Tender 6:\r\n");
  f.ReadSlots();
  f.pm.LoadConfig();
  f.pm.lang().LoadMessages();
}

TEST(ChangingLanguage, TheWholeMessageTableIsTakenFromTheNewFileAtOnce) {
  Fixture f;
  OfferEnglish(f, "[1]\r\none\r\n[108]\r\nnot connected");
  f.pm.config().language = 1;
  EXPECT_TRUE(f.pm.lang().ReloadMessages());
  EXPECT_EQ(f.pm.Msg(1), "one");
  EXPECT_EQ(f.pm.Msg(2), "");  // not Slovak: the English file has no message 2
  EXPECT_EQ(f.pm.Msg(108), "not connected");
}

TEST(ChangingLanguage, AMissingMessageFileKeepsThePreviousLanguageWhole) {
  Fixture f;
  OfferEnglish(f, "");
  std::filesystem::remove(f.dir / "en.msg");
  f.pm.config().language = 1;
  f.boxes.Expect("KV4910 file doesn't exists");
  EXPECT_FALSE(f.pm.lang().ReloadMessages());
  EXPECT_EQ(f.boxes.shown().size(), 1u);
  EXPECT_EQ(f.pm.Msg(1), "jedna");
  EXPECT_EQ(f.pm.Msg(2), "dva");
}

TEST(ChangingLanguage, CaptionAndStatePanelShowTheirMessageAgainAndPlainTextsStay) {
  Fixture f;
  OfferEnglish(f, "[108]\r\nnot connected");
  f.pm.lang().ShowStateMessage(Localization::StateText::Caption, 108);
  f.pm.lang().ShowStateMessage(Localization::StateText::StatePanel, 108);
  f.pm.lang().ShowStateText(Localization::StateText::StatePanel, "Linux 6.1");
  f.pm.config().language = 1;
  f.pm.lang().ReloadMessages();
  f.pm.LanguageChanged();
  EXPECT_EQ(f.view.Text("SRB4900"), "not connected");
  EXPECT_EQ(f.view.Get("SRB4900/StatusBar1[3].text"), "Linux 6.1");
}

TEST(ChangingLanguage, TenderNamesFollowItOnlyWhereTheSettingsFileHasNone) {
  Fixture f;
  OfferEnglish(f, "");
  EXPECT_EQ(f.pm.config().plat[0], Cp("Hotovosť:"));
  EXPECT_EQ(f.pm.config().plat[1], "Karta VISA");
  f.pm.config().language = 1;
  f.pm.LanguageChanged();
  EXPECT_EQ(f.pm.config().plat[0], "Cash:");
  EXPECT_EQ(f.pm.config().plat[1], "Karta VISA");
  EXPECT_EQ(f.pm.config().plat[5], "Tender 6:");
  EXPECT_EQ(f.pm.config().plat[6], "Platidlo7:");  // the file names no 7th: the built-in name
}

}  // namespace
}  // namespace kv
