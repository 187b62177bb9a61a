# File names of the stand-in payload, shared by the build rules and the data generator.

# Spell-check dictionaries, in the order the setup records them.
set(PAYLOAD_DICTIONARIES accent.tlx correct.tlx ssceam.tlx ssceam2.clx sscebr.tlx sscebr2.clx ssceca.tlx
    ssceca2.clx tech.tlx userdic.tlx)

# Stamp documents. The Japanese lists share four names with the others, so the flat package holds one
# file per distinct name.
set(PAYLOAD_STAMPS_STANDARD Approved Completed Confidential Draft Emergency Expired Final Received Reviewed
    Revised Verified Void)
set(PAYLOAD_STAMPS_SIGN_HERE Accepted Initial Rejected "Sign Here" Witness)
set(PAYLOAD_STAMPS_STANDARD_JA AtOnce Circulate Confidential Draft ForPublic Important InternalOnly Sample Secret
    "Special Secret")
set(PAYLOAD_STAMPS_SIGN_HERE_JA Approval Initial Rejection Signhere Witness)
set(PAYLOAD_STAMPS ${PAYLOAD_STAMPS_STANDARD} ${PAYLOAD_STAMPS_SIGN_HERE} ${PAYLOAD_STAMPS_STANDARD_JA}
    ${PAYLOAD_STAMPS_SIGN_HERE_JA})
list(REMOVE_DUPLICATES PAYLOAD_STAMPS)

# The product's extra languages: the part of each installer language file name after its first "_".
set(PAYLOAD_LANGUAGE_SUFFIXES lang_ar_ae.xml lang_bg_bg.xml lang_hu_hu.xml lang_ca_es.xml lang_cz_cz.xml
    lang_zh_cn.xml lang_tw_cn.xml lang_da_dk.xml lang_nl_nl.xml lang_en_us.xml lang_et_ee.xml lang_fi_fi.xml
    lang_fr_fr.xml lang_gl_es.xml lang_de_de.xml lang_el_gr.xml lang_it_it.xml lang_ko_kr.xml lang_lv_lv.xml
    lang_lt_lt.xml lang_nb_no.xml lang_pl_pl.xml lang_pt_pt.xml lang_pt_br.xml lang_ro_ro.xml lang_ru_ru.xml
    lang_sl_si.xml lang_es_es.xml lang_sv_se.xml lang_tr_tr.xml lang_he_il.xml lang_jp_jp.xml lang_th_th.xml
    lang_va_es.xml lang_ga_ie.xml)
# Each language brings these four files.
set(PAYLOAD_LANGUAGE_PREFIXES kqmcreator_ uninst_ "" OnDemandPlugin)

# Everything the data generator writes, as file names.
set(PAYLOAD_GENERATED kpdfcjk.bin kqmvpr_pnt.txt kqmvpr_pnt64.txt ${PAYLOAD_DICTIONARIES})
foreach(stamp IN LISTS PAYLOAD_STAMPS)
  list(APPEND PAYLOAD_GENERATED "${stamp}.pdf")
endforeach()
foreach(suffix IN LISTS PAYLOAD_LANGUAGE_SUFFIXES)
  foreach(prefix IN LISTS PAYLOAD_LANGUAGE_PREFIXES)
    list(APPEND PAYLOAD_GENERATED "${prefix}${suffix}")
  endforeach()
endforeach()
