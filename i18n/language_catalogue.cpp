#include "i18n/language_catalogue.h"

#include "i18n/text_compare.h"

namespace {

struct LanguageEntry {
  const char16_t* name;
  const char16_t* file;
};

// The order is the ID order; names and files are used exactly as written.
const LanguageEntry kLanguages[LanguageCatalogue::kCount] = {
    {u"Arabic", u"inst_lang_ar_ae.xml"},
    {u"Bulgarian", u"inst_lang_bg_bg.xml"},
    {u"Hungarian", u"inst_lang_hu_hu.xml"},
    {u"Catalan", u"inst_lang_ca_es.xml"},
    {u"Czech", u"inst_lang_cz_cz.xml"},
    {u"Chinese_Simplified", u"inst_lang_zh_cn.xml"},
    {u"Chinese_Traditional", u"inst_lang_tw_cn.xml"},
    {u"Danish", u"inst_lang_da_dk.xml"},
    {u"Dutch", u"inst_lang_nl_nl.xml"},
    {u"English", u"inst_lang_en_us.xml"},
    {u"Estonian", u"inst_lang_et_ee.xml"},
    {u"Finnish", u"inst_lang_fi_fi.xml"},
    {u"French", u"inst_lang_fr_fr.xml"},
    {u"Galician", u"inst_lang_gl_es.xml"},
    {u"German", u"inst_lang_de_de.xml"},
    {u"Greek", u"inst_lang_el_gr.xml"},
    {u"Italian", u"inst_lang_it_it.xml"},
    {u"Korean", u"inst_lang_ko_kr.xml"},
    {u"Latvian", u"inst_lang_lv_lv.xml"},
    {u"Lithuanian", u"inst_lang_lt_lt.xml"},
    {u"Norwegian", u"inst_lang_nb_no.xml"},
    {u"Polish", u"inst_lang_pl_pl.xml"},
    {u"Portuguese", u"inst_lang_pt_pt.xml"},
    {u"Portuguese_Brazilian", u"inst_lang_pt_br.xml"},
    {u"Romanian", u"inst_lang_ro_ro.xml"},
    {u"Russian", u"inst_lang_ru_ru.xml"},
    {u"Slovenian", u"inst_lang_sl_si.xml"},
    {u"Spanish", u"inst_lang_es_es.xml"},
    {u"Swedish", u"inst_lang_sv_se.xml"},
    {u"Turkish", u"inst_lang_tr_tr.xml"},
    {u"Hebrew", u"inst_lang_he_il.xml"},
    {u"Japanese", u"inst_lang_jp_jp.xml"},
    {u"Thai", u"inst_lang_th_th.xml"},
    {u"Valencian", u"inst_lang_va_es.xml"},
    {u"Ireland", u"inst_lang_ga_ie.xml"},
};

bool InRange(long long position) { return position >= 0 && position < LanguageCatalogue::kCount; }

}  // namespace

std::u16string LanguageCatalogue::NameOfPosition(long long position) {
  return InRange(position) ? kLanguages[position].name : std::u16string();
}

std::u16string LanguageCatalogue::FileOfPosition(long long position) {
  return InRange(position) ? kLanguages[position].file : std::u16string();
}

std::u16string LanguageCatalogue::FileOfName(const std::u16string& name) {
  for (const LanguageEntry& entry : kLanguages) {
    if (EqualsIgnoringAsciiCase(name, entry.name)) return entry.file;
  }
  return std::u16string();
}

uint16_t LanguageCatalogue::IdOfName(const std::u16string& name) {
  const int position = PositionOfName(name);
  return position < 0 ? 0 : static_cast<uint16_t>(kFirstId + position);
}

int LanguageCatalogue::PositionOfName(const std::u16string& name) {
  for (int i = 0; i < kCount; ++i) {
    if (name == kLanguages[i].name) return i;
  }
  return -1;
}
