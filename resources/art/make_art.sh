#!/usr/bin/env bash
# Draws the wizard's skin pictures: the side picture, the banner and the
# localized title pictures of all seven installer languages, as 24-bit
# Windows 3 BMP files named by resource ID next to this script, and writes
# resources/art.rc, which lists them. The headlines come from headlines.tsv.
#
#   bash resources/art/make_art.sh            # writes resources/art/*.bmp and resources/art.rc
#   bash resources/art/make_art.sh --sheet F  # also writes review sheets F and F-<lang>.png (PNG)
#
# Needs ImageMagick 6 and the Noto fonts of Debian (fonts-noto-core,
# fonts-noto-cjk); installs the fonts with apt-get when run as root.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
sheet=""
if [[ ${1:-} == --sheet ]]; then
  sheet=${2:?"--sheet needs a file name"}
fi

# One thread: the same pixels on every run, and light on the machine.
export MAGICK_THREAD_LIMIT=1
export OMP_NUM_THREADS=1

die() { echo "make_art.sh: $*" >&2; exit 1; }

command -v convert >/dev/null || die "ImageMagick (convert) is missing: apt-get install imagemagick"
command -v identify >/dev/null || die "ImageMagick (identify) is missing: apt-get install imagemagick"

# ---------------------------------------------------------------- fonts
FONT_DIR_TT=/usr/share/fonts/truetype/noto
FONT_DIR_OT=/usr/share/fonts/opentype/noto
LATIN_REG=$FONT_DIR_TT/NotoSans-Regular.ttf
LATIN_BOLD=$FONT_DIR_TT/NotoSans-Bold.ttf
DISPLAY_REG=$FONT_DIR_TT/NotoSansDisplay-Regular.ttf
DISPLAY_BOLD=$FONT_DIR_TT/NotoSansDisplay-Bold.ttf
CJK_BOLD_FILE=$FONT_DIR_OT/NotoSansCJK-Bold.ttc

fonts_present() {
  local f
  for f in "$LATIN_REG" "$LATIN_BOLD" "$DISPLAY_REG" "$DISPLAY_BOLD" "$CJK_BOLD_FILE"; do
    [[ -f $f ]] || return 1
  done
}

if ! fonts_present; then
  if [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "make_art.sh: installing fonts-noto-core and fonts-noto-cjk" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y fonts-noto-core fonts-noto-cjk >/dev/null ||
      { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y fonts-noto-core fonts-noto-cjk >/dev/null; } ||
      die "could not install fonts-noto-core and fonts-noto-cjk"
    fc-cache >/dev/null 2>&1 || true
  fi
  fonts_present || die "fonts missing: install the Debian packages fonts-noto-core and fonts-noto-cjk"
fi

# The CJK faces live in one collection file; ImageMagick reaches each face by
# its fontconfig name, which picks the regional glyph forms.
fontlist=$(convert -list font)
for f in Noto-Sans-CJK-KR-Bold Noto-Sans-CJK-JP-Bold Noto-Sans-CJK-SC-Bold Noto-Sans-CJK-TC-Bold; do
  grep -q "Font: $f\$" <<<"$fontlist" || die "ImageMagick does not list the font $f (fonts-noto-cjk installed? run fc-cache)"
done

# ---------------------------------------------------------------- palette
NAVY='#0A1F4E'     # deep blue, top left of the art
BLUE='#12468F'     # middle blue, top right
OCEAN='#0B4F7E'    # blue-teal, bottom left of the side picture
DUSK='#0C2C63'     # dark blue, bottom left of the banner
TEAL='#0C8A8E'     # teal, bottom right of the art
AQUA='#5ED6CB'     # accent
MIST='#CDEFF0'     # light accent for small type on the gradient
INK='#0F3A78'      # headline colour on white

aqua() { echo "rgba(94,214,203,$1)"; }  # AQUA with an opacity

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes an image as a Windows 3 BMP, 24 bits per pixel, no alpha, no compression.
save_bmp() { # src dst
  convert "$1" -background white -alpha remove -alpha off -type TrueColor \
    -define bmp:format=bmp3 -compress None "BMP3:$2"
}

# ---------------------------------------------------------------- logo mark
# A page with a folded corner carrying a ring with a tail; drawn at 128x128.
draw_logo() { # out
  convert -size 128x128 xc:none \
    -fill 'rgba(0,0,0,0.22)' -draw "path 'M 24,10 L 80,10 L 108,38 L 108,124 L 24,124 Z'" -blur 0x3 \
    \( -size 128x128 xc:none -fill white \
       -draw "path 'M 20,4 L 78,4 L 104,30 L 104,116 Q 104,122 98,122 L 26,122 Q 20,122 20,116 Z'" \) -composite \
    -fill "$MIST" -draw "path 'M 78,4 L 78,24 Q 78,30 84,30 L 104,30 Z'" \
    -draw "fill none stroke '$BLUE' stroke-width 11 circle 61,72 61,47" \
    -draw "fill none stroke '$TEAL' stroke-width 11 stroke-linecap round line 71,84 89,104" \
    "$1"
}

# A translucent page with text lines, drawn at 4x; size 384x496.
draw_page() { # out fill-alpha line-alpha accent(0/1)
  local a=$2 la=$3 acc=$4 lines="" y w i=0
  for y in 96 136 176 216 256 296 336 376 416; do
    case $((i % 4)) in 0) w=300 ;; 1) w=264 ;; 2) w=288 ;; *) w=180 ;; esac
    lines+=" rectangle 44,$y $((44 + w)),$((y + 12))"
    i=$((i + 1))
  done
  local -a extra=()
  if [[ $acc == 1 ]]; then
    extra=(-fill "$(aqua 0.55)" -draw 'rectangle 38,210 352,234'
           -fill 'rgba(255,255,255,0.85)' -draw 'rectangle 44,44 220,64')
  fi
  convert -size 384x496 xc:none \
    -fill "rgba(255,255,255,$a)" -stroke 'rgba(255,255,255,0.4)' -strokewidth 3 \
    -draw "path 'M 2,2 L 304,2 L 382,80 L 382,494 L 2,494 Z'" \
    -stroke none -fill 'rgba(255,255,255,0.30)' -draw "path 'M 304,2 L 304,80 L 382,80 Z'" \
    -fill "rgba(255,255,255,$la)" -draw "$lines" \
    "${extra[@]}" \
    "$1"
}

# Background gradient with rings, at 4x.
draw_ground() { # out w4 h4 ringcx ringcy
  local w=$2 h=$3 cx=$4 cy=$5 rings="" r
  for r in 520 660 800 940 1080 1220 1360; do
    rings+=" circle $cx,$cy $((cx + r)),$cy"
  done
  convert -size "${w}x${h}" xc: \
    -sparse-color Bilinear "0,0 $NAVY $((w - 1)),0 $BLUE 0,$((h - 1)) $OCEAN $((w - 1)),$((h - 1)) $TEAL" \
    -fill none -stroke 'rgba(255,255,255,0.06)' -strokewidth 4 -draw "$rings" \
    "$1"
}

# ---------------------------------------------------------------- side picture
make_side() { # out.png
  draw_logo "$work/logo.png"
  draw_page "$work/page_back.png" 0.05 0.00 0
  draw_page "$work/page_mid.png" 0.08 0.10 0
  draw_page "$work/page_front.png" 0.17 0.34 1
  draw_ground "$work/side_ground.png" 780 1360 900 1500
  convert "$work/side_ground.png" \
    \( "$work/page_back.png" -background none -rotate 14 -resize 90% \) -geometry +510+640 -composite \
    \( "$work/page_mid.png" -background none -rotate 4 -resize 90% \) -geometry +400+720 -composite \
    \( "$work/page_front.png" -background none -rotate -8 -resize 90% \) -geometry +230+800 -composite \
    \( "$work/logo.png" -resize 125% \) -geometry +64+80 -composite \
    -filter Lanczos -resize 195x340! \
    "$work/side_art.png"
  convert "$work/side_art.png" \
    -fill white -font "$DISPLAY_REG" -pointsize 24 -annotate +20+108 'Kelto' \
    -fill white -font "$DISPLAY_BOLD" -pointsize 34 -annotate +19+142 'Quorbel' \
    -fill "$AQUA" -draw 'rectangle 21,156 45,157' \
    -fill "$MIST" -font "$LATIN_REG" -pointsize 12 -annotate +20+176 'PDF Editor' \
    -fill 'rgba(255,255,255,0.75)' -font "$LATIN_BOLD" -pointsize 10 -kerning 2.5 -annotate +20+322 'KELTO' \
    "$1"
}

# ---------------------------------------------------------------- banner
text_width() { # font pointsize text [kerning]
  convert -font "$1" -pointsize "$2" -kerning "${4:-0}" label:"$3" -format '%w' info:
}

make_banner() { # out.png
  draw_logo "$work/logo.png"
  draw_page "$work/bpage_a.png" 0.05 0.10 0
  draw_page "$work/bpage_b.png" 0.09 0.18 0
  # The wordmark block ends 16 px from the right edge; the left part stays calm.
  local name_w maker_w x_text x_logo x_maker
  name_w=$(text_width "$DISPLAY_BOLD" 20 'Kelto Quorbel')
  maker_w=$(text_width "$LATIN_BOLD" 9 'KELTO' 2)
  x_text=$((529 - 16 - name_w))
  x_logo=$((x_text - 40))
  x_maker=$((529 - 16 - maker_w))
  convert -size 2116x264 xc: \
    -sparse-color Bilinear "0,0 $NAVY 2115,0 $BLUE 0,263 $DUSK 2115,263 $TEAL" \
    -fill none -stroke 'rgba(255,255,255,0.06)' -strokewidth 4 \
    -draw "circle 2200,900 2760,900 circle 2200,900 2900,900 circle 2200,900 3040,900 circle 2200,900 3180,900 circle 2200,900 3320,900" \
    \( "$work/bpage_a.png" -background none -rotate 12 -resize 85% \) -geometry +$((x_logo * 4 - 110))-150 -composite \
    \( "$work/bpage_b.png" -background none -rotate -7 -resize 85% \) -geometry +$((x_logo * 4 - 250))+40 -composite \
    \( "$work/logo.png" -resize 100% \) -geometry +$((x_logo * 4))+68 -composite \
    -filter Lanczos -resize 529x66! \
    "$work/banner_art.png"
  # A thin accent line along the bottom edge, fading in from the left.
  convert -size 66x529 gradient:"$(aqua 0)-$(aqua 1)" -rotate 90 -crop 529x2+0+0 +repage "$work/accent.png"
  convert "$work/banner_art.png" \
    "$work/accent.png" -geometry +0+64 -composite \
    -fill white -font "$DISPLAY_BOLD" -pointsize 20 -annotate +${x_text}+33 'Kelto Quorbel' \
    -fill "$MIST" -font "$LATIN_REG" -pointsize 11 -annotate +$((x_text + 1))+50 'PDF Editor' \
    -fill 'rgba(255,255,255,0.72)' -font "$LATIN_BOLD" -pointsize 9 -kerning 2 -annotate +${x_maker}+50 'KELTO' \
    "$1"
}

# ---------------------------------------------------------------- title pictures
# White pictures, 32 px high, carrying a page headline centred in dark blue.
#
# The wizard stretches each title picture over a fixed rectangle whose size is
# not always the picture's own (welcome 203x32, finish 182x32, interrupted
# 163x32; Korean 270x30, 120x32, 250x32). So the headline is set for the size
# it is shown at and then scaled to the picture's size: widened by repeating
# columns (which the shrinking copy on screen drops again) or narrowed
# smoothly, so that on screen the type keeps its true proportions.
#
# The headlines are read from headlines.tsv; sizes run from 15 px down to 9 px
# and the first line breaking that fits at the largest size wins.
shown_size() { # lang page -> "w h"
  case $1:$2 in
    ko:welcome) echo 270 30 ;;
    ko:finish) echo 120 32 ;;
    ko:interrupted) echo 250 32 ;;
    *:welcome) echo 203 32 ;;
    *:finish) echo 182 32 ;;
    *:interrupted) echo 163 32 ;;
    *) die "unknown page '$2' in headlines.tsv" ;;
  esac
}

face_font() { # face -> ImageMagick font
  case $1 in
    latin) echo "$LATIN_BOLD" ;;
    ko) echo Noto-Sans-CJK-KR-Bold ;;
    ja) echo Noto-Sans-CJK-JP-Bold ;;
    zh-CN) echo Noto-Sans-CJK-SC-Bold ;;
    zh-TW) echo Noto-Sans-CJK-TC-Bold ;;
    *) die "unknown face '$1' in headlines.tsv" ;;
  esac
}

# Line pitch: about 1.2 em for Latin type, 1.25 em for CJK type.
line_gap() { # face pointsize -> interline spacing in px (negative: tighter)
  if [[ $1 == latin ]]; then echo $(( -($2 * 16 + 50) / 100 )); else echo $(( -($2 * 20 + 50) / 100 )); fi
}

set_headline() { # font face pointsize text out
  convert -background white -fill "$INK" -font "$1" -pointsize "$3" -gravity center \
    -interline-spacing "$(line_gap "$2" "$3")" label:"$4" -trim +repage "$5"
}

# The wizard paints a title picture with a stretching copy. Along each axis it
# walks the pixels like a Bresenham line: when shrinking, each run of picture
# pixels lands on one screen pixel (combined by AND in the default stretch
# mode); when widening, each picture pixel is repeated over a run of screen
# pixels. These helpers follow that walk so that a picture can be made whose
# runs hold identical pixels: then every stretch mode shows the set headline.

# For each picture pixel 0..n-1 along one axis: "first count", the run of
# screen pixels (of m) it is shown on; when shrinking, count 1 and several
# picture pixels share one screen pixel.
screen_runs() { # n m
  local n=$1 m=$2 err s d first
  if ((n > m)); then
    err=$((3 * m - 2 * n)) d=0
    for ((s = 0; s < n; s++)); do
      echo "$d 1"
      if ((err > 0)); then d=$((d + 1)) err=$((err + 2 * m - 2 * n)); else err=$((err + 2 * m)); fi
    done
  else
    err=$((3 * n - 2 * m)) s=0 first=0
    for ((d = 0; d < m; d++)); do
      if ((err > 0)); then
        echo "$first $((d + 1 - first))"
        first=$((d + 1)) s=$((s + 1)) err=$((err + 2 * n - 2 * m))
      else
        err=$((err + 2 * n))
      fi
    done
    ((s == n)) || die "stretch walk of $n over $m pixels ended at $s"
  fi
}

# For each screen pixel 0..m-1: the first picture pixel (of n) shown there.
picture_source() { # n m
  local n=$1 m=$2 s first count last=-1
  s=0
  while read -r first count; do
    if ((first != last)); then
      for ((i = 0; i < count; i++)); do echo "$s"; done
      last=$first
    fi
    s=$((s + 1))
  done < <(screen_runs "$n" "$m")
}

# Makes a w x h picture from a shown sw x sh one: each picture column (row)
# is the average of the screen columns (rows) it will be shown on.
picture_from_screen() { # in sw sh w h out
  local in=$1 sw=$2 sh=$3 w=$4 h=$5 out=$6 first count
  local -a args=()
  while read -r first count; do
    args+=(\( mpr:shown -crop "${count}x${sh}+${first}+0" +repage -scale "1x${sh}!" \))
  done < <(screen_runs "$w" "$sw")
  convert "$in" -write mpr:shown +delete "${args[@]}" +append "$work/cols.png"
  args=()
  while read -r first count; do
    args+=(\( mpr:shown -crop "${w}x${count}+0+${first}" +repage -scale "${w}x1!" \))
  done < <(screen_runs "$h" "$sh")
  convert "$work/cols.png" -write mpr:shown +delete "${args[@]}" -append "$out"
}

# Shows a w x h picture at sw x sh the way the wizard's stretching copy does.
screen_from_picture() { # in w h sw sh out
  local in=$1 w=$2 h=$3 sw=$4 sh=$5 out=$6 s
  local -a args=()
  while read -r s; do args+=(\( mpr:pic -crop "1x${h}+${s}+0" +repage \)); done < <(picture_source "$w" "$sw")
  convert "$in" -write mpr:pic +delete "${args[@]}" +append "$work/scols.png"
  args=()
  while read -r s; do args+=(\( mpr:pic -crop "${sw}x1+0+${s}" +repage \)); done < <(picture_source "$h" "$sh")
  convert "$work/scols.png" -write mpr:pic +delete "${args[@]}" -append "$out"
}

make_title() { # lang id width page face candidates
  local lang=$1 id=$2 w=$3 page=$4 face=$5 cands=$6
  local font ps cand text dims tw th best="" sw sh
  font=$(face_font "$face")
  local size
  size=$(shown_size "$lang" "$page")
  read -r sw sh <<<"$size"
  local -a list
  IFS='|' read -r -a list <<<"$cands"
  for ((ps = 15; ps >= 9; ps--)); do
    for cand in "${list[@]}"; do
      text=$(printf '%b' "$cand")
      set_headline "$font" "$face" "$ps" "$text" "$work/try.png"
      dims=$(identify -format '%w %h' "$work/try.png")
      tw=${dims% *} th=${dims#* }
      if ((tw <= sw - 6 && th <= sh - 2)); then best=$text; break 2; fi
    done
  done
  [[ -n $best ]] || die "headline of $id does not fit in ${sw}x${sh}: $cands"
  convert "$work/try.png" -background white -gravity center -extent "${sw}x${sh}" "$work/shown_$id.png"
  if ((w == sw && sh == 32)); then
    cp "$work/shown_$id.png" "$work/$id.png"
  else
    picture_from_screen "$work/shown_$id.png" "$sw" "$sh" "$w" 32 "$work/$id.png"
  fi
  save_bmp "$work/$id.png" "$here/$id.bmp"
  printf '%s\t%s\t%s\t%sx32 (shown %sx%s)\t%spx\t%s\n' "$lang" "$id" "$page" "$w" "$sw" "$sh" "$ps" \
    "${best//$'\n'/ / }" >>"$work/titles.txt"
}

read_headlines() { # prints the data lines of headlines.tsv
  grep -v -e '^#' -e '^$' "$here/headlines.tsv"
}

# ---------------------------------------------------------------- main
make_side "$work/side.png"
make_banner "$work/banner.png"
save_bmp "$work/side.png" "$here/402.bmp"
save_bmp "$work/banner.png" "$here/403.bmp"
: >"$work/titles.txt"
while IFS=$'\t' read -r lang id w page face cands; do
  make_title "$lang" "$id" "$w" "$page" "$face" "$cands"
done < <(read_headlines)

# Every picture must be a 24-bit BMP of its exact size.
check() { # file width height
  local got bpp
  got=$(identify -format '%m %wx%h' "$1")
  [[ $got == "BMP3 $2x$3" ]] || die "$1 is '$got', expected BMP3 $2x$3"
  bpp=$(od -An -t u2 -j 28 -N 2 "$1" | tr -d ' ')
  [[ $bpp == 24 ]] || die "$1 has $bpp bits per pixel, expected 24"
}
check "$here/402.bmp" 195 340
check "$here/403.bmp" 529 66
while IFS=$'\t' read -r lang id w page face cands; do
  check "$here/$id.bmp" "$w" 32
done < <(read_headlines)
column -t -s $'\t' "$work/titles.txt" 2>/dev/null || cat "$work/titles.txt"

# ---------------------------------------------------------------- resource script
# art.rc: one line per bitmap resource, named in ids.h as IDB_<picture>_<language> (IDB_WELCOME_TITLE_ZH_CN).
# The side picture and the banner are the same for every language, so their names share one file each.
write_rc() {
  local lang id w page face cands code name
  {
    echo "// Skin pictures of the wizard, written by art/make_art.sh; the names are in ids.h."
    echo "#include \"ids.h\""
    echo ""
    echo "// Side pictures (195x340) and banners (529x66) of all languages share one file each."
    for code in EN FR DE KO JA ZH_CN ZH_TW; do echo "IDB_SIDE_$code BITMAP \"art/402.bmp\""; done
    for code in EN FR DE KO JA ZH_CN ZH_TW; do echo "IDB_BANNER_$code BITMAP \"art/403.bmp\""; done
    echo "// Title pictures (32 px high) with the page headlines of each language."
    while IFS=$'\t' read -r lang id w page face cands; do
      code=${lang^^}
      name=IDB_${page^^}_TITLE_${code//-/_}
      # The file is named by the number; the name must stand for that number.
      grep -qx "#define $name $id" "$here/../ids.h" || die "ids.h does not define $name as $id"
      echo "$name BITMAP \"art/$id.bmp\""
    done < <(read_headlines)
  } >"$here/../art.rc"
}
write_rc

# ---------------------------------------------------------------- review sheet
# Mock pages as the wizard lays them out: side-picture pages with their title
# picture and grey stand-ins for the texts, and a banner page.
mock_frame() { # out (adds separator, footer link and button row)
  convert "$1" \
    -fill '#A0A0A0' -draw 'line 0,340 528,340' \
    -fill '#5B84C4' -draw 'rectangle 9,366 118,371' \
    -fill '#F3F3F3' -stroke '#ADADAD' -draw 'roundrectangle 329,358 416,381 3,3 roundrectangle 425,358 512,381 3,3' \
    -stroke none -fill '#9A9A9A' -draw 'rectangle 353,368 392,371 rectangle 449,368 488,371' \
    "$1"
}

mock_side_page() { # out title.bmp x y w h kind(welcome|finish|interrupted)
  local out=$1 bars="" y
  case $7 in
    welcome) bars="rectangle 211,62 505,68 rectangle 211,78 440,84 rectangle 211,118 400,124"
             for y in 138 158 178 198 218 238 258; do bars+=" rectangle 211,$y $((211 + 110 + (y % 7) * 14)),$((y + 6))"; done
             bars+=" rectangle 211,296 500,300 rectangle 211,308 380,312" ;;
    finish)  bars="rectangle 211,62 505,68 rectangle 211,78 460,84"
             for y in 148 188 228 268; do bars+=" rectangle 222,$((y - 4)) 232,$((y + 6)) rectangle 240,$y $((240 + 120 + (y % 5) * 20)),$((y + 6))"; done ;;
    interrupted) bars="rectangle 211,76 505,82 rectangle 211,92 420,98 rectangle 211,166 505,172 rectangle 211,182 505,188 rectangle 211,198 330,204 rectangle 211,272 380,278" ;;
  esac
  screen_from_picture "$2" "$(identify -format %w "$2")" 32 "$5" "$6" "$work/title_shown.png"
  convert -size 529x392 xc:white "$here/402.bmp" -geometry +0+0 -composite \
    "$work/title_shown.png" -geometry "+$3+$4" -composite \
    -fill '#C9CED6' -draw "$bars" "$out"
  mock_frame "$out"
}

mock_banner_page() { # out
  local bars="" y
  for y in 126 142 158 174 190 206 222 238 254 270 286 302; do bars+=" rectangle 24,$y $((24 + 300 + (y % 9) * 18)),$((y + 5))"; done
  convert -size 529x392 xc:white "$here/403.bmp" -geometry +0+0 -composite \
    -fill '#C9CED6' -draw 'rectangle 16,84 380,90' \
    -fill white -stroke '#ABADB3' -draw 'rectangle 16,110 513,323' \
    -stroke none -fill '#D5D9DE' -draw "$bars" "$1"
  mock_frame "$1"
}

if [[ -n $sheet ]]; then
  rows=()
  while read -r lang w_id f_id i_id; do
    if [[ $lang == ko ]]; then
      rect_w=(233 20 270 30) rect_f=(300 20 120 32) rect_i=(253 20 250 32)
    else
      rect_w=(253 20 203 32) rect_f=(263 20 182 32) rect_i=(273 20 163 32)
    fi
    mock_side_page "$work/m_w.png" "$here/$w_id.bmp" "${rect_w[@]}" welcome
    mock_side_page "$work/m_f.png" "$here/$f_id.bmp" "${rect_f[@]}" finish
    mock_side_page "$work/m_i.png" "$here/$i_id.bmp" "${rect_i[@]}" interrupted
    mock_banner_page "$work/m_b.png"
    convert -background '#E4E6EA' "$work/m_w.png" "$work/m_f.png" "$work/m_i.png" "$work/m_b.png" \
      -bordercolor '#6B7280' -border 1 -bordercolor '#E4E6EA' -border 8 +append \
      -gravity northwest -splice 0x22 -font "$LATIN_BOLD" -pointsize 14 -fill '#333' \
      -annotate +12+4 "$lang: welcome $w_id, finish $f_id, interrupted $i_id; banner 403; side 402" \
      "$work/row_$lang.png"
    convert "$work/row_$lang.png" +repage -depth 8 "${sheet%.png}-$lang.png"
    rows+=("$work/row_$lang.png")
  done <<'ROWS'
en 401 404 405
fr 157 154 153
de 162 159 158
ko 172 169 168
ja 167 164 163
zh-CN 406 409 410
zh-TW 177 174 173
ROWS
  convert -background '#E4E6EA' "${rows[@]}" -append +repage -depth 8 "$sheet"
  echo "review sheet: $sheet (and one per language beside it)"
fi
