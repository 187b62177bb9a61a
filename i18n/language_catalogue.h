// The fixed table of installer languages: numeric language ID, English name
// and language file. Position p has the ID p + 40802.
#pragma once

#include <cstdint>
#include <string>

class LanguageCatalogue {
 public:
  static constexpr int kCount = 35;
  static constexpr uint16_t kFirstId = 40802;

  // Empty for a position outside 0 to 34.
  static std::u16string NameOfPosition(long long position);
  static std::u16string FileOfPosition(long long position);

  // File of the first entry whose name matches without regard to case; empty when none.
  static std::u16string FileOfName(const std::u16string& name);
  // Exact match; 0 when the name is not in the table.
  static uint16_t IdOfName(const std::u16string& name);
  // Exact match; -1 when the name is not in the table.
  static int PositionOfName(const std::u16string& name);
};
