#pragma once
// What a page sees of the setup: the options it reads and writes, the texts, the language catalogue, the names
// of the add-on components and the install it starts. The session is the one host.
#include <string>
#include <vector>

#include "core/setup_options.h"
#include "i18n/string_catalogue.h"

class ProgressPage;

class PageHost {
 public:
  virtual ~PageHost() = default;
  virtual SetupOptions& Options() = 0;
  // The localized text with this ID (empty when there is none).
  virtual std::wstring Text(unsigned id) const = 0;
  virtual StringCatalogue& catalogue() = 0;
  // The add-on components that the components page lists after the product itself, in install order.
  virtual std::vector<std::wstring> ComponentNames() const = 0;
  // Runs the install sequence behind the progress page; ends the page with 1032.
  virtual void RunInstallSequence(ProgressPage& page) = 0;
};
