// The trader's own instruments: what he may type for one (the symbol, its currencies and its
// contract), how the settings file keeps it, and the list the assistant offers to choose from.
// Qt-free; the dialog and the settings file only carry the texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/trade.h"

namespace tiramon {

// An instrument as the dialog shows it and the user types it.
struct InstrumentTexts {
  std::string symbol, baseCurrency, quoteCurrency, contractSize, pointSize, marginPercent;
  friend bool operator==(const InstrumentTexts&, const InstrumentTexts&) = default;
};
InstrumentTexts ToTexts(const Instrument& instrument);

// Reads an instrument from texts: a symbol of up to 20 printable characters, currency codes of
// three capital letters (the base may be left empty for an index), a contract and a point above
// zero, a margin percentage from 0 (by leverage) to 100; "," is taken for a decimal point.
// Anything else throws UserError with a message that names the field and says what is expected.
Instrument ParseInstrument(const InstrumentTexts& texts);

// How the settings file keeps one: "XAU/USD;XAU;USD;100;0.01;0", and reading it back (throws
// UserError for anything ParseInstrument refuses, or a line of another shape).
std::string StoredInstrument(const Instrument& instrument);
Instrument ReadStoredInstrument(std::string_view stored);

// The instrument the dialog's list offers to edit: the trader's own, then the metals he has not
// changed (brokers sell them by other contracts, so they can be changed too).
std::vector<Instrument> EditableInstruments(const std::vector<Instrument>& own);

// Adds `instrument`, or replaces the trader's one of the same symbol.
void PutInstrument(std::vector<Instrument>& own, const Instrument& instrument);

// What the assistant's list offers: the pairs and metals the program's sources quote, then the
// trader's own instruments that are not among them.
std::vector<std::string> InstrumentChoices(const std::vector<Instrument>& own);

}  // namespace tiramon
