#include "lang/language_map.h"

#include <array>
#include <string>

#include "base/ini_file.h"
#include "base/view.h"
#include "lang/codepage.h"

namespace kv {

namespace {

using P = LanguageProperty;

constexpr LanguageKey Cfg(const char* key, const char* target, P property, int index,
                          const char* builtin) {
  return {LanguageGroup::Settings, "FORM_CFG", key, target, property, index, builtin};
}
constexpr LanguageKey Main(const char* key, const char* target, const char* builtin) {
  return {LanguageGroup::Main, "FORM_KV4910", key, target, P::Text, 0, builtin};
}
constexpr LanguageKey Other(const char* key, const char* target, P property, int index,
                            const char* builtin) {
  return {LanguageGroup::Others, "FORM_KV4910", key, target, property, index, builtin};
}
constexpr LanguageKey Cash(const char* key, const char* target, P property, int index,
                           const char* builtin) {
  return {LanguageGroup::Others, "FORM_CASH", key, target, property, index, builtin};
}

// The settings dialog. HINT5 and HINT22 both feed the drawer test button's hint; HINT22 comes
// later and so is the one that stays.
constexpr std::array kSettingsKeys = {
    Cfg("NAME", "Dlg_cfg", P::Text, 0, "Konfigurácia tlačového manažéra"),
    Cfg("BTN1", "Dlg_cfg/Btn_napln", P::Text, 0, "&Naplnenie mien"),
    Cfg("BTN2", "Dlg_cfg/Btn_psw_yes", P::Text, 0, "&Potvrdenie"),
    Cfg("BTN3", "Dlg_cfg/Btn_psw_koniec", P::Text, 0, "&Koniec"),
    Cfg("BTN4", "Dlg_cfg/OKBtn", P::Text, 0, "&Uloz nastavenie"),
    Cfg("BTN6", "Dlg_cfg/BitBtn_naplndph", P::Text, 0, "&Nastav DPH"),
    Cfg("BTN7", "Dlg_cfg/Btn_vymaz", P::Text, 0, "&Vymaž žurnál"),
    Cfg("BTN8", "Dlg_cfg/Btn_close_com", P::Text, 0, "&Uvolni port"),
    Cfg("BTN9", "Dlg_cfg/Btn_default_time", P::Text, 0, "&Default"),
    Cfg("BTN10", "Dlg_cfg/Btn_test", P::Text, 0, "Nastav &Test mód"),
    Cfg("HINT5", "Dlg_cfg/Btn_open", P::Hint, 0, "&Test otvorenia zasuvky"),
    Cfg("HINT7", "Dlg_cfg/Btn_vymaz", P::Hint, 0, "Vymazanie elektronického žurnálu KV4910"),
    Cfg("HINT8", "Dlg_cfg/Btn_close_com", P::Hint, 0,
        "Uvolnenie /pripojenie/ serioveho COM portu."),
    Cfg("HINT10", "Dlg_cfg/Btn_test", P::Hint, 0,
        "Zapnutie alebo vypnutie testovacieho režimu KV4910"),
    Cfg("HINT23", "Dlg_cfg/CheckBox_dtrdsr", P::Hint, 0,
        "Zapinanie hardverovej DTR/DSR komunikacie"),
    Cfg("HINT24", "Dlg_cfg/CheckBox_rtscts", P::Hint, 0,
        "Zapinanie hardverovej  RTS/CTS komunikacie"),
    Cfg("HINT25", "Dlg_cfg/CB_ukonci", P::Hint, 0, "Umoznit ukoncit aplikaciu uzivatelovi"),
    Cfg("TXT1", "Dlg_cfg/Label51", P::Text, 0, "Aktívna mena"),
    Cfg("TXT2", "Dlg_cfg/Label52", P::Text, 0, "Duálna mena"),
    Cfg("TXT3", "Dlg_cfg/Label40", P::Text, 0, "Kurz"),
    Cfg("TXT4", "Dlg_cfg/GroupBox_euro", P::Text, 0, "Konfigurácia mien"),
    Cfg("TXT5", "Dlg_cfg/Label1", P::Text, 0, "Vstupný adresár (vstupný bloček)"),
    Cfg("TXT6", "Dlg_cfg/Label2", P::Text, 0, "Výstupný adresár (vyčítaný bloček)"),
    Cfg("TXT7", "Dlg_cfg/Label27", P::Text, 0, "Info adresár"),
    Cfg("TXT8", "Dlg_cfg/CB_euro_zmena", P::Text, 0, "Sprístupni konfiguráciu mien"),
    Cfg("TXT9", "Dlg_cfg/ChBox_err", P::Text, 0, "Err subor"),
    Cfg("TXT10", "Dlg_cfg/ChBox_copy", P::Text, 0, "kópia bločku"),
    Cfg("TXT11", "Dlg_cfg/ChBox_ladenie", P::Text, 0, "ladenie"),
    Cfg("TXT12", "Dlg_cfg/CB_MSG", P::Text, 0, "MSG"),
    Cfg("TXT13", "Dlg_cfg/CB_synchrcas", P::Text, 0, "Nastav čas"),
    Cfg("TXT14", "Dlg_cfg/Label8", P::Text, 0, "Time write"),
    Cfg("TXT15", "Dlg_cfg/Label9", P::Text, 0, "Time write multi"),
    Cfg("TXT16", "Dlg_cfg/Label10", P::Text, 0, "ReadTotal"),
    Cfg("TXT17", "Dlg_cfg/Label11", P::Text, 0, "ReadMulti"),
    Cfg("TXT18", "Dlg_cfg/Label12", P::Text, 0, "ReadInterval"),
    Cfg("TXT19", "Dlg_cfg/Label28", P::Text, 0, "Time info"),
    Cfg("TXT20", "Dlg_cfg/Label29", P::Text, 0, "Opozdenie nábehu [mS]"),
    Cfg("TXT21", "Dlg_cfg/Label41", P::Text, 0, "Preberanie tlače [mS]"),
    Cfg("TXT22", "Dlg_cfg/CB_close_port", P::Text, 0, "Uvolni COM"),
    Cfg("TXT23", "Dlg_cfg/CheckBox_dtrdsr", P::Text, 0, "DTR/DSR"),
    Cfg("TXT24", "Dlg_cfg/CheckBox_rtscts", P::Text, 0, "RTS/CTS"),
    Cfg("TXT25", "Dlg_cfg/CB_ukonci", P::Text, 0, "Ukonči aplikáciu"),
    Cfg("HINT26", "Dlg_cfg/RG_priority", P::Hint, 0,
        "Urcuje prioritu tlacoveho managera. Vysoka priorita - tl. manager dostava viac "
        "strojneho casu."),
    Cfg("TXT26", "Dlg_cfg/RG_priority", P::Text, 0, " Priorita "),
    Cfg("TXT27", "Dlg_cfg/CheckBox_spravy", P::Text, 0,
        "Použivať komunikáciu  pomocou správ        "),
    Cfg("TXT28", "Dlg_cfg/Label22", P::Text, 0, "ID správy"),
    Cfg("TXT29", "Dlg_cfg/Label23", P::Text, 0, "ID aplikácie"),
    Cfg("BTN11", "Dlg_cfg/Btn_registruj", P::Text, 0, "Registruj"),
    Cfg("TXT30", "Dlg_cfg/Label26", P::Text, 0, "Výstupné adresáre"),
    Cfg("TXT31", "Dlg_cfg/RadioGroup1", P::Item, 0, "Pripájanie k predchádzajúcej zálohe"),
    Cfg("TXT32", "Dlg_cfg/RadioGroup1", P::Item, 1, "Vytváranie nových súborov podľa dátumu"),
    Cfg("TXT33", "Dlg_cfg/GroupBox_dph", P::Text, 0, " Zaokrúhlenie DPH "),
    Cfg("TXT34", "Dlg_cfg/Label30", P::Text, 0, "Platné číslo"),
    Cfg("TXT35", "Dlg_cfg/Label31", P::Text, 0, "Koeficient povýšenia"),
    Cfg("TXT36", "Dlg_cfg/GroupBox_suma", P::Text, 0, " Zaokrúhlenie koncová suma"),
    Cfg("TXT37", "Dlg_cfg/Label32", P::Text, 0, "Platné číslo"),
    Cfg("TXT38", "Dlg_cfg/Label33", P::Text, 0, "Koeficient povýšenia"),
    Cfg("TXT39", "Dlg_cfg/GroupBox_informacna", P::Text, 0, " Zaokrúhlenie informačná suma"),
    Cfg("TXT40", "Dlg_cfg/Label34", P::Text, 0, "Platné číslo"),
    Cfg("TXT41", "Dlg_cfg/Label35", P::Text, 0, "Koeficient povýšenia"),
    Cfg("BTN12", "Dlg_cfg/Btn_zaokruhlenie", P::Text, 0, "&Nastav"),
    Cfg("TXT42", "Dlg_cfg/PageControl1", P::Item, 0, "KV4910"),
    Cfg("TXT43", "Dlg_cfg/PageControl1", P::Item, 1, "DPH"),
    Cfg("TXT44", "Dlg_cfg/PageControl1", P::Item, 2, "EXPERT"),
    Cfg("TXT45", "Dlg_cfg/PageControl1", P::Item, 3, "Správy"),
    Cfg("TXT46", "Dlg_cfg/PageControl1", P::Item, 4, "Záloha"),
    Cfg("TXT47", "Dlg_cfg/PageControl1", P::Item, 5, "Zaokrúhli"),
    Cfg("TXT48", "Dlg_cfg/PageControl1", P::Item, 6, "Pokladňa"),
    Cfg("TXT49", "Dlg_cfg/Label37", P::Text, 0, "Súbor s cenníkom"),
    Cfg("TXT50", "Dlg_cfg/ChBox_pokladna", P::Text, 0, "Otvoriť pokladňu pri spustení"),
    Cfg("HINT13", "Dlg_cfg/ChBox_pokladna", P::Hint, 0,
        "Otvorenie okna pokladne pri spustení tlačového manažéra"),
    Cfg("TXT51", "Dlg_cfg/ChBox_platidla", P::Text, 0, "Ponuka platidiel"),
    Cfg("HINT14", "Dlg_cfg/ChBox_platidla", P::Hint, 0,
        "Ponuka výberu platidiel pri tlači dokladu"),
    Cfg("TXT52", "Dlg_cfg/GroupBox2", P::Text, 0, "  Definícia platidiel  "),
    Cfg("TXT53", "Dlg_cfg/Label19", P::Text, 0, "Jazyk"),
    Cfg("HINT15", "Dlg_cfg/Btn_find", P::Hint, 0, "Detekcia KV4910"),
    Cfg("HINT16", "Dlg_cfg/CB_euro_zmena", P::Hint, 0, "Moznost menit hodnoty konfiguracie MENY"),
    Cfg("HINT17", "Dlg_cfg/ChBox_err", P::Hint, 0,
        "V pripade chyby uklada vstupne udaje do suboru FM_err.txt"),
    Cfg("HINT18", "Dlg_cfg/ChBox_copy", P::Hint, 0, "Ukladá kópie bločkov na disk"),
    Cfg("HINT19", "Dlg_cfg/ChBox_ladenie", P::Hint, 0,
        "Uklada kopie odosielanych suborov do debug.txt"),
    Cfg("HINT20", "Dlg_cfg/CB_MSG", P::Hint, 0, "Zobrazenie Chybovych sprav"),
    Cfg("HINT21", "Dlg_cfg/CB_synchrcas", P::Hint, 0,
        "Nastavenie času KV4910 podľa času PC po spustení"),
    Cfg("HINT22", "Dlg_cfg/Btn_open", P::Hint, 0, "Test otvorenia zasuvky"),
    Cfg("HINT27", "Dlg_cfg/CB_XUZ", P::Hint, 0, "X-uzavierka"),
    Cfg("HINT28", "Dlg_cfg/CB_DUZ", P::Hint, 0, "Denna uzavierka"),
    Cfg("HINT29", "Dlg_cfg/CB_MUZ", P::Hint, 0, "Mesacna uzavierka"),
    Cfg("HINT30", "Dlg_cfg/CB_kopia", P::Hint, 0, "Kopie dokladu"),
    Cfg("HINT31", "Dlg_cfg/CB_KDU", P::Hint, 0, "Kopia dennej uzavierky"),
    Cfg("HINT32", "Dlg_cfg/CB_KMU", P::Hint, 0, "Kopia mesacnej uzavierky"),
    Cfg("HINT33", "Dlg_cfg/CB_K3900", P::Hint, 0, "Kopie dokladov KV4910"),
    Cfg("HINT34", "Dlg_cfg/CB_CAS", P::Hint, 0, "Nastavenie datumu a casu"),
    Cfg("HINT35", "Dlg_cfg/CB_ZAS", P::Hint, 0, "Otvorenie zasuvky"),
    Cfg("HINT36", "Dlg_cfg/CB_CEN", P::Hint, 0, "Sprístupnenie cenníka"),
    Cfg("HINT37", "Dlg_cfg/CB_close_port", P::Hint, 0, "Uvolnenie komunikačného portu"),
    Cfg("HINT38", "Dlg_cfg/Edit_caswrite", P::Hint, 0, "Maximalny cas obsadenosti FM [mS]"),
    Cfg("HINT39", "Dlg_cfg/Edit_caswritem", P::Hint, 0, "Maximalny medziznakovy cas [mS]"),
    Cfg("HINT40", "Dlg_cfg/Edit_readtotal", P::Hint, 0, "Maximalny cas vycitania [mS]"),
    Cfg("HINT41", "Dlg_cfg/Edit_readmulti", P::Hint, 0,
        "Maximalny medziznakovy cas pri vycitani [mS]"),
    Cfg("HINT42", "Dlg_cfg/Edit_readinterval", P::Hint, 0,
        "Cas necinnosti pri zacati prijimania 2 po sebe nasledujucich znakov [mS]"),
    Cfg("HINT43", "Dlg_cfg/Edit_casinfo", P::Hint, 0,
        "Cas na vycitanie informacie z Fiskalneho modulu [mS]"),
    Cfg("HINT44", "Dlg_cfg/Edit_opozdenie", P::Hint, 0,
        "Opozdenia otvorenia portu pri nabehu aplikacie"),
    Cfg("HINT45", "Dlg_cfg/Edit_delay_file", P::Hint, 0, "Perioda zistovania dokladu na tlac"),
    Cfg("HINT46", "Dlg_cfg/CB_del", P::Hint, 0, "Vymazanie súboru v prípade problému s KV4910"),
    // Keys of our own: texts the dialog showed built in.
    Cfg("HINT47", "Dlg_cfg/Btn_psw_yes", P::Hint, 0, "Potvrdenie hesla"),
    Cfg("BTN13", "Dlg_cfg/Button1", P::Text, 0, "Pripoj IP"),
    Cfg("HINT48", "Dlg_cfg/Btn_in", P::Hint, 0, "Vyhladaj vstupny subor"),
    Cfg("HINT49", "Dlg_cfg/Btn_out", P::Hint, 0, "Vyhladaj vystupny subor"),
    Cfg("HINT50", "Dlg_cfg/Btn_info", P::Hint, 0, "Nalistuj cestu k suboru info.txt"),
    Cfg("TXT54", "Dlg_cfg/CB_del", P::Text, 0, "DEL"),
    Cfg("HINT51", "Dlg_cfg/otvor", P::Hint, 0, "Nastavenie sekvencie na otvorenie zasuvky"),
    Cfg("TXT55", "Dlg_cfg/otvor", P::Item, 5, "Zadane rucne"),
    Cfg("BTN14", "Dlg_cfg/Btn_open", P::Text, 0, "Test"),
    Cfg("TXT56", "Dlg_cfg/Label_otvor", P::Text, 0, "Zásuvka"),
    Cfg("BTN15", "Dlg_cfg/Btn_find", P::Text, 0, "Detekcia RB2900"),
    Cfg("TXT57", "Dlg_cfg/Label_port", P::Text, 0, "Port"),
    Cfg("TXT58", "Dlg_cfg/CB_XUZ", P::Text, 0, "XUZ"),
    Cfg("TXT59", "Dlg_cfg/CB_DUZ", P::Text, 0, "DUZ"),
    Cfg("TXT60", "Dlg_cfg/CB_MUZ", P::Text, 0, "MUZ"),
    Cfg("TXT61", "Dlg_cfg/CB_kopia", P::Text, 0, "COPY"),
    Cfg("TXT62", "Dlg_cfg/CB_KDU", P::Text, 0, "KDU"),
    Cfg("TXT63", "Dlg_cfg/CB_KMU", P::Text, 0, "KMU"),
    Cfg("TXT64", "Dlg_cfg/CB_CAS", P::Text, 0, "CAS"),
    Cfg("TXT65", "Dlg_cfg/CB_ZAS", P::Text, 0, "ZAS"),
    Cfg("TXT66", "Dlg_cfg/CB_K3900", P::Text, 0, "COPY"),
    Cfg("TXT67", "Dlg_cfg/CB_CEN", P::Text, 0, "CEN"),
    Cfg("TXT68", "Dlg_cfg/Label_dph1", P::Text, 0, "DPH1"),
    Cfg("TXT69", "Dlg_cfg/Label_dph2", P::Text, 0, "DPH2"),
    Cfg("TXT70", "Dlg_cfg/Label_dph3", P::Text, 0, "DPH3"),
    Cfg("TXT71", "Dlg_cfg/Label_dph4", P::Text, 0, "DPH4"),
    Cfg("TXT72", "Dlg_cfg/Label_dph5", P::Text, 0, "DPH5"),
    Cfg("TXT73", "Dlg_cfg/Label_baud", P::Text, 0, "BAUD"),
    Cfg("TXT74", "Dlg_cfg/CB_auto_du", P::Text, 0, "Auto DU"),
    Cfg("HINT52", "Dlg_cfg/CB_auto_du", P::Hint, 0,
        "Automatické vykonanie DU, ak je potreba vykonať DU  "),
    Cfg("TXT75", "Dlg_cfg/RG_priority", P::Item, 0, "Low"),
    Cfg("TXT76", "Dlg_cfg/RG_priority", P::Item, 1, "Normal"),
    Cfg("TXT77", "Dlg_cfg/RG_priority", P::Item, 2, "High"),
};

// The main window's menu and labels. TXT21 and TXT40 both feed Label_pamet; TXT40 comes later
// and so is the one that stays.
constexpr std::array kMainKeys = {
    Main("TXT1", "SRB4900/popXUZ", "X - uzávierka"),
    Main("TXT2", "SRB4900/popDUZ", "Denná uzávierka"),
    Main("TXT3", "SRB4900/popMUZ", "Mesačná uzávierka"),
    Main("TXT4", "SRB4900/KopieRB3900", "Zostavy KV4910"),
    Main("TXT5", "SRB4900/popKDOKL", "Kópia posledný doklad"),
    Main("TXT6", "SRB4900/popKDU", "Kópia poslednej DU"),
    Main("TXT7", "SRB4900/popCAS", "Nastavenie času"),
    Main("TXT8", "SRB4900/popOtvzas", "Otvorenie zásuvky"),
    Main("TXT9", "SRB4900/popzurnal", "Žurnál / ERR páska"),
    Main("TXT10", "SRB4900/Elektronickapaska1", "Elektronická páska"),
    Main("TXT11", "SRB4900/Chybovysubor1", "Chybové hlásenia"),
    Main("TXT12", "SRB4900/Zalohovanie1", "Zálohovanie"),
    Main("TXT13", "SRB4900/Konfiguracia1", "Konfigurácia"),
    Main("TXT14", "SRB4900/Spusteniecasovaca1", "Pripojenie KV4910"),
    Main("TXT15", "SRB4900/pop_pokladna", "Spustenie pokladne"),
    Main("TXT16", "SRB4900/Label1", "Doklad:"),
    Main("TXT17", "SRB4900/Label2", "Dátum:"),
    Main("TXT18", "SRB4900/Label4", "Čas:"),
    Main("TXT19", "SRB4900/Label8", "Denné uzávierky:"),
    Main("TXT20", "SRB4900/Label10", "Bločky:"),
    Main("TXT21", "SRB4900/Label_pamet", "Pamäť, výrobné číslo:"),
    Main("TXT40", "SRB4900/Label_pamet", "Pamäť, výrobné číslo:"),
};

// The copies, monthly report and payment windows, then the sale and price list windows.
constexpr std::array kOtherKeys = {
    Other("TXT24", "Form_copy", P::Text, 0, "Kópie dokladov KV4910"),
    Other("TXT25", "Form_copy/GroupBox1", P::Text, 0, "Parametre zostavy"),
    Other("TXT26", "Form_copy/RG_kopie", P::Item, 0, "Bloček"),
    Other("TXT27", "Form_copy/RG_kopie", P::Item, 1, "Denná"),
    Other("TXT28", "Form_copy/RG_kopie", P::Item, 2, "Intervalová podrobná"),
    Other("TXT29", "Form_copy/RG_kopie", P::Item, 3, "Intervalová sumárna"),
    Other("TXT30", "Form_copy/CheckBox_datum", P::Text, 0, "Podľa dátumu"),
    Other("TXT31", "Form_copy/Label_od", P::Text, 0, "Od:"),
    Other("TXT32", "Form_copy/Label_do", P::Text, 0, "Do:"),
    Other("HINT1", "Form_copy/MaskEdit_od", P::Hint, 0,
          "Začiatok intervalu (dátum alebo číslo uzávierky)"),
    Other("HINT2", "Form_copy/MaskEdit_do", P::Hint, 0,
          "Koniec intervalu (dátum alebo číslo uzávierky)"),
    Other("BTN1", "Form_copy/BitBtn_tlac", P::Text, 0, "&Tlač"),
    Other("BTN2", "Form_copy/BitBtn_copy_to_pc", P::Text, 0, "&Zobraz doklad"),
    Other("TXT33", "Form_mesacna", P::Text, 0, "Mesačná uzávierka"),
    Other("TXT34", "Form_mesacna/Label1", P::Text, 0, "Mesiac"),
    Other("TXT35", "Form_mesacna/Label2", P::Text, 0, "Rok"),
    Other("BTN3", "Form_mesacna/BitBtn_tlac", P::Text, 0, "Tlač"),
    Other("TXT36", "Form_platba", P::Text, 0, "Platidlá"),
    Other("TXT37", "Form_platba/Label1", P::Text, 0, "Prijatá hotovosť"),
    Other("TXT38", "Form_platba/Label2", P::Text, 0, "Ostatné platidlá"),
    Other("BTN4", "Form_platba/BitBtn_ok", P::Text, 0, "&OK"),
    // Keys of our own: texts these windows and the password dialog and journal viewer showed
    // built in.
    Other("TXT41", "Form_copy/RG_kopie", P::Text, 0, "Typ zostavy"),
    Other("TXT42", "Form_copy/RG_kopie", P::Item, 4, "Podľa dátumu a času"),
    Other("TXT43", "Form_copy/RG_kopie", P::Item, 5, "CRC16 surová hlavička"),
    Other("TXT44", "Form_copy/Label_kdokladu", P::Text, 0, "Číslo dokladu"),
    Other("TXT45", "Form_copy/Label_kbldu", P::Text, 0, "Číslo DU dokladu"),
    Other("TXT46", "Form_copy/Label_kdu", P::Text, 0, "Číslo DU"),
    Other("TXT47", "Form_copy/Label_crc16", P::Text, 0, "CRC16"),
    Other("BTN5", "Form_copy/BitBtn_zrus", P::Text, 0, "&Zrušiť čakanie"),
    Other("TXT48", "Form_copy/PreniestdokolonkyOd1", P::Text, 0, "Preniesť do kolonky Od"),
    Other("TXT49", "Form_copy/PreniestdokolonkyDo1", P::Text, 0, "Preniesť do kolonky Do"),
    Other("TXT50", "Form_copy", P::Locale, 0, "sk_SK"),
    Other("TXT51", "Form_mesacna/CB_mesiac", P::Item, 0, "Január"),
    Other("TXT52", "Form_mesacna/CB_mesiac", P::Item, 1, "Február"),
    Other("TXT53", "Form_mesacna/CB_mesiac", P::Item, 2, "Marec"),
    Other("TXT54", "Form_mesacna/CB_mesiac", P::Item, 3, "Apríl"),
    Other("TXT55", "Form_mesacna/CB_mesiac", P::Item, 4, "Máj"),
    Other("TXT56", "Form_mesacna/CB_mesiac", P::Item, 5, "Jún"),
    Other("TXT57", "Form_mesacna/CB_mesiac", P::Item, 6, "Júl"),
    Other("TXT58", "Form_mesacna/CB_mesiac", P::Item, 7, "August"),
    Other("TXT59", "Form_mesacna/CB_mesiac", P::Item, 8, "September"),
    Other("TXT60", "Form_mesacna/CB_mesiac", P::Item, 9, "Október"),
    Other("TXT61", "Form_mesacna/CB_mesiac", P::Item, 10, "November"),
    Other("TXT62", "Form_mesacna/CB_mesiac", P::Item, 11, "December"),
    Other("TXT63", "PasswordDlg", P::Text, 0, "Heslo"),
    Other("TXT64", "PasswordDlg/Label1", P::Text, 0, "Vlozte heslo:"),
    Other("BTN6", "PasswordDlg/OKBtn", P::Text, 0, "OK"),
    Other("BTN7", "PasswordDlg/CancelBtn", P::Text, 0, "Cancel"),
    Other("HINT3", "Form_zurnal/Edit_datum", P::Hint, 0, "#Zadajte datum v tvare 25.01.2010#"),
    Other("BTN8", "Form_zurnal/BitBtn_dalsi", P::Text, 0, "#&Hladaj#"),
    Other("HINT4", "Form_platba/Edit_hotovost", P::Hint, 0, "Zadajte sumu platenú hotovosťou"),
    Other("HINT5", "Form_platba/CB_platidlo", P::Hint, 0, "Výber platidla"),
    Other("HINT6", "Form_platba/Edit_platidlo", P::Hint, 0,
          "Zadajte sumu platenú vybraným platidlom"),

    Cash("NAME", "Form_predaj", P::Text, 0, "Predaj KV4910"),
    Cash("TXT1", "Form_predaj/GroupBox_cena", P::Text, 0, "Suma celkom"),
    Cash("TXT2", "Form_predaj/Label30", P::Text, 0, "DKP:"),
    Cash("TXT3", "Form_predaj/Label5", P::Text, 0, "Názov"),
    Cash("TXT4", "Form_predaj/Label1", P::Text, 0, "Kód"),
    Cash("TXT5", "Form_predaj/Label4", P::Text, 0, "Počet * Cena"),
    Cash("TXT6", "Form_predaj/GroupBox1", P::Text, 0, "Položka"),
    Cash("TXT7", "Form_predaj/PageControl1", P::Item, 0, "&Predaj"),
    Cash("TXT8", "Form_predaj/PageControl1", P::Item, 1, "V&klad / Výber"),
    Cash("TXT9", "Form_predaj/PageControl1", P::Item, 2, "&Mincovka"),
    Cash("BTN1", "Form_predaj/BitBtn_sklad", P::Text, 0, "&Cennik"),
    Cash("BTN2", "Form_predaj/BitBtn_kos", P::Text, 0, "&Vymaž"),
    Cash("BTN3", "Form_predaj/BitBtn_zlava", P::Text, 0, "&Zlava"),
    Cash("BTN4", "Form_predaj/BitBtn_tlac", P::Text, 0, "&Tlač"),
    Cash("TXT10", "Form_predaj/StatusBar1", P::Item, 0, "Doklad:"),
    Cash("TXT11", "Form_predaj/StatusBar1", P::Item, 2, "DU:"),
    Cash("TXT12", "Form_predaj/StatusBar1", P::Item, 6, "Pokladna KV4910"),
    Cash("TXT13", "Form_predaj/StatusBar1", P::Item, 7, "F12 Tlač,  F8 vymaž"),
    Cash("TXT14", "Form_predaj/StringGrid1", P::Cell, 0, "Kód"),
    Cash("TXT15", "Form_predaj/StringGrid1", P::Cell, 1, "Názov"),
    Cash("TXT16", "Form_predaj/StringGrid1", P::Cell, 2, "Množstvo"),
    Cash("TXT17", "Form_predaj/StringGrid1", P::Cell, 3, "Cena"),
    Cash("TXT18", "Form_predaj/StringGrid1", P::Cell, 4, "Cena/položku"),
    Cash("NAME1", "Form_sklad", P::Text, 0, "Cennik"),
    Cash("TXT20", "Form_sklad/Label1", P::Text, 0, "Kód  ( EAN )"),
    Cash("TXT21", "Form_sklad/Label2", P::Text, 0, "Názov"),
    Cash("TXT22", "Form_sklad/Label3", P::Text, 0, "Cena"),
    Cash("TXT23", "Form_sklad/Label4", P::Text, 0, "Hlad. DPH"),
    Cash("BTN5", "Form_sklad/BitBtn_vymaz", P::Text, 0, "&Vymaž"),
    Cash("HINT5", "Form_sklad/BitBtn_vymaz", P::Hint, 0, "Vymazanie vybranej položky"),
    Cash("BTN6", "Form_sklad/BitBtn_novy", P::Text, 0, "&Novy"),
    Cash("HINT6", "Form_sklad/BitBtn_novy", P::Hint, 0, "Nová položka cenníka"),
    Cash("BTN7", "Form_sklad/BitBtn_pridaj", P::Text, 0, "&Ulož"),
    Cash("HINT7", "Form_sklad/BitBtn_pridaj", P::Hint, 0, "Uloženie položky do cenníka"),
    Cash("BTN8", "Form_sklad/BitBtn_uloz", P::Text, 0, "Ulož &do"),
    Cash("HINT8", "Form_sklad/BitBtn_uloz", P::Hint, 0, "Uloženie do súboru"),
    Cash("BTN9", "Form_sklad/BitBtn_nacitaj", P::Text, 0, "Načítaj &z"),
    Cash("HINT9", "Form_sklad/BitBtn_nacitaj", P::Hint, 0, "Načítanie zo súboru"),
    Cash("BTN4", "Form_predaj/BitBtn_tlac_vklad", P::Text, 0, "&Tlač"),
    Cash("BTN4", "Form_predaj/BitBtn_micovka", P::Text, 0, "&Tlač"),
    Cash("HINT4", "Form_predaj/BitBtn_tlac_vklad", P::Hint, 0, "Tlač dokladu"),
    Cash("HINT4", "Form_predaj/BitBtn_micovka", P::Hint, 0, "Tlač dokladu"),
    Cash("HINT4", "Form_predaj/BitBtn_tlac", P::Hint, 0, "Tlač dokladu"),
    // Keys of our own: texts the sale and price list windows showed built in.
    Cash("TXT24", "Form_predaj/CB_faktura", P::Text, 0, "Faktúra"),
    Cash("BTN10", "Form_predaj/BitBtn_dalsi", P::Text, 0, "Ďalší"),
    Cash("HINT10", "Form_sklad/CB_dph", P::Hint, 0, "Hladina DPH (1...5)"),
};

constexpr size_t kKeyCount = kSettingsKeys.size() + kMainKeys.size() + kOtherKeys.size();

constexpr std::array<LanguageKey, kKeyCount> AllKeys() {
  std::array<LanguageKey, kKeyCount> all{};
  size_t n = 0;
  for (const auto& key : kSettingsKeys) all[n++] = key;
  for (const auto& key : kMainKeys) all[n++] = key;
  for (const auto& key : kOtherKeys) all[n++] = key;
  return all;
}

constexpr std::array<LanguageKey, kKeyCount> kAllKeys = AllKeys();

bool Switched(LanguageGroup group, bool settings, bool main, bool others) {
  switch (group) {
    case LanguageGroup::Settings:
      return settings;
    case LanguageGroup::Main:
      return main;
    case LanguageGroup::Others:
      return others;
  }
  return false;
}

void Apply(const LanguageKey& key, const std::string& text, View& view) {
  switch (key.property) {
    case LanguageProperty::Text:
      view.SetText(key.target, text);
      break;
    case LanguageProperty::Hint:
      view.SetHint(key.target, text);
      break;
    case LanguageProperty::Item:
      view.SetItemText(key.target, key.index, text);
      break;
    case LanguageProperty::Cell:
      view.SetCell(key.target, key.index, 0, text);
      break;
    case LanguageProperty::Locale:
      view.SetLocale(key.target, text);
      break;
  }
}

}  // namespace

std::span<const LanguageKey> LanguageKeys() {
  return kAllKeys;
}

std::string TenderNameKey(size_t index) {
  // "TXT25" ... "TXT34", after the sale and price list windows' own keys.
  return "TXT" + std::to_string(25 + index);
}

void ApplyLanguage(const IniFile* file, View& view, bool settings, bool main, bool others) {
  for (const LanguageKey& key : kAllKeys) {
    if (!Switched(key.group, settings, main, others)) continue;
    const std::string builtin = Utf8ToCp1250(key.builtin);
    Apply(key, file ? file->ReadString(key.section, key.key, builtin) : builtin, view);
  }
}

}  // namespace kv
