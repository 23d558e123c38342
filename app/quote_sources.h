// The quote sources as the user chooses among them: their names in the list, in list order.
#pragma once

#include "app/environment.h"

namespace tiramon {

inline constexpr const char* kQuoteSourceNames[] = {"Официальные курсы ЕЦБ и ЦБ РФ",
                                                    "Страница котировок"};
inline constexpr QuoteSource kQuoteSourceOrder[] = {QuoteSource::OfficialRates, QuoteSource::Page};

inline int QuoteSourceIndex(QuoteSource source) {
  return source == QuoteSource::OfficialRates ? 0 : 1;
}

}  // namespace tiramon
