#pragma once
// A package sink that writes down what it is told: "name:size=data|" for each entry, and the largest piece.
#include <algorithm>
#include <string>

#include "engine/package_archive.h"

class TranscriptSink : public PackageSink {
 public:
  PackageResult BeginEntry(ByteView name, uint32_t size) override {
    text.append(reinterpret_cast<const char*>(name.data), name.size);
    text += ":" + std::to_string(size) + "=";
    return kPackageOk;
  }
  PackageResult Write(ByteView bytes) override {
    text.append(reinterpret_cast<const char*>(bytes.data), bytes.size);
    largest = std::max(largest, bytes.size);
    return kPackageOk;
  }
  PackageResult EndEntry() override {
    text += "|";
    return kPackageOk;
  }
  std::string text;
  size_t largest = 0;
};
