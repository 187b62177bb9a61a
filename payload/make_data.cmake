# Writes the data files of the stand-in payload into STAGE: stamp PDFs, dictionaries, font and printer data,
# the product's language files.  cmake -DSTAGE=<folder> -P make_data.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/names.cmake)
if(NOT STAGE)
  message(FATAL_ERROR "STAGE is not set")
endif()
file(MAKE_DIRECTORY ${STAGE})

function(pad10 number out)
  string(LENGTH "${number}" n)
  math(EXPR zeros "10 - ${n}")
  string(REPEAT "0" ${zeros} pad)
  set(${out} "${pad}${number}" PARENT_SCOPE)
endfunction()

# A one-page PDF with the stamp's caption in red inside a red frame. Offsets are byte counts, so the
# cross-reference table is exact.
function(write_stamp name)
  string(TOUPPER "${name}" caption)
  string(LENGTH "${caption}" chars)
  math(EXPR width "40 + ${chars} * 18")
  math(EXPR frame "${width} - 10")
  set(content "q 1 0 0 RG 3 w 5 5 ${frame} 70 re S Q\nBT 1 0 0 rg /F1 26 Tf 20 31 Td (${caption}) Tj ET\n")
  string(LENGTH "${content}" content_length)
  set(objects
    "<< /Type /Catalog /Pages 2 0 R >>"
    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ${width} 80] /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>"
    "<< /Length ${content_length} >>\nstream\n${content}endstream"
    "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>"
    "<< /Title (${name}) /Producer (Kelto Quorbel) >>")
  set(pdf "%PDF-1.4\n")
  set(xref "0000000000 65535 f \n")
  set(number 0)
  foreach(body IN LISTS objects)
    math(EXPR number "${number} + 1")
    string(LENGTH "${pdf}" offset)
    pad10(${offset} padded)
    string(APPEND xref "${padded} 00000 n \n")
    string(APPEND pdf "${number} 0 obj\n${body}\nendobj\n")
  endforeach()
  string(LENGTH "${pdf}" xref_offset)
  math(EXPR size "${number} + 1")
  string(APPEND pdf "xref\n0 ${size}\n${xref}trailer\n<< /Size ${size} /Root 1 0 R /Info 6 0 R >>\n"
                    "startxref\n${xref_offset}\n%%EOF\n")
  file(WRITE "${STAGE}/${name}.pdf" "${pdf}")
endfunction()

foreach(stamp IN LISTS PAYLOAD_STAMPS)
  write_stamp("${stamp}")
endforeach()

file(WRITE "${STAGE}/kpdfcjk.bin"
  "KQCJK1\nKelto Quorbel East Asian font data: Simplified and Traditional Chinese, Japanese, Korean.\n")

foreach(arch "" 64)
  file(WRITE "${STAGE}/kqmvpr_pnt${arch}.txt"
    "; Kelto Quorbel Printer Driver data file\n[Driver]\nName=Kelto Quorbel Printer Driver\nPort=KELTO_QUORBEL:\n"
    "[Paper]\nLetter=612,792\nA4=595,842\nLegal=612,1008\n[Resolution]\nDefault=600\n")
endforeach()

set(words_accent.tlx "cafe=café\nnaive=naïve\nresume=résumé\n")
set(words_correct.tlx "teh=the\nrecieve=receive\nadress=address\nseperate=separate\n")
set(words_tech.tlx "PDF\nFDF\nXMP\nOCR\nPostScript\n")
set(words_userdic.tlx "")
foreach(dictionary IN LISTS PAYLOAD_DICTIONARIES)
  if(DEFINED words_${dictionary})
    set(words "${words_${dictionary}}")
  else()
    set(words "about\nafter\nagain\ndocument\nprint\nsignature\n")
  endif()
  file(WRITE "${STAGE}/${dictionary}" "; Kelto spell check word list ${dictionary}\n${words}")
endforeach()

foreach(suffix IN LISTS PAYLOAD_LANGUAGE_SUFFIXES)
  string(REGEX REPLACE "^lang_(.*)\\.xml$" "\\1" locale "${suffix}")
  foreach(prefix IN LISTS PAYLOAD_LANGUAGE_PREFIXES)
    if(prefix STREQUAL "")
      set(part "Kelto Quorbel")
    else()
      string(REGEX REPLACE "_$" "" part "${prefix}")
    endif()
    file(WRITE "${STAGE}/${prefix}${suffix}"
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- ${part} user interface texts -->\n"
      "<language locale=\"${locale}\" part=\"${part}\">\n  <string id=\"1\">${part}</string>\n</language>\n")
  endforeach()
endforeach()
