#include "app/pairs.h"

namespace tiramon::pairs {

namespace {

bool Has(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

}  // namespace

bool QuotedInDollars(std::string_view name) { return Has(name, "/USD"); }
bool DollarBased(std::string_view name) { return Has(name, "USD/"); }

Kind Classify(std::string_view name) {
  if (DollarBased(name)) return Kind::DollarBased;
  if (QuotedInDollars(name)) return Kind::QuotedInDollars;
  return Kind::Other;
}

}  // namespace tiramon::pairs
