#!/usr/bin/env bash
# Proves the layering check can fail: each row plants one file with one include into a scratch
# tree and says which rule must report it ("-" for none). One run of the check sees them all.
set -uo pipefail
check=$(cd "$(dirname "$0")" && pwd)/check_layering.sh

# file | include line | rule expected in the report
cases=(
  'support/own.cpp|#include "support/numtext.h"|-'
  'support/beside.cpp|#include "numtext_detail.h"|-'
  'support/system.cpp|#include <vector>|-'
  'support/model.cpp|#include "app/unit1.h"|support includes a layer above it'
  'support/quotes.h|#include "quotes/quote_table.h"|support includes a layer above it'
  'support/climb.cpp|#include "../quotes/refresh.h"|support includes a layer above it'
  'support/bracket.cpp|  #  include <simulators/trade_series.h>|support includes a layer above it'
  'support/tests.cpp|#include "tests/support/canned_server.h"|support includes a layer above it'
  'support/qt.cpp|#include <QString>|the core includes Qt'
  'quotes/model.cpp|#include "app/unit1.h"|-'
  'quotes/qt.cpp|#include <QtCore/QString>|the core includes Qt'
  'assistant/qt.h|#include <QClipboard>|the core includes Qt'
  'app/unit1.h|#include <QObject>|the core includes Qt'
  'app/config.h.in|#include <QtGlobal>|the core includes Qt'
  'simulators/system.cpp|#include <queue>|-'
  'desktop/qt.cpp|#include <QWidget>|-'
  'desktop/model.cpp|#include "app/unit1.h"|-'
  'desktop/support.cpp|#include "support/numtext.h"|-'
  'desktop/quotes.cpp|#include "quotes/quote_table.h"|the desktop includes a subsystem header'
  'desktop/assistant.h|#include "assistant/recalc.h"|the desktop includes a subsystem header'
  'desktop/simulators.cpp|#include "simulators/trade_series.h"|the desktop includes a subsystem header'
  'desktop/climb.cpp|#include "../quotes/refresh.h"|the desktop includes a subsystem header'
  'desktop/words.cpp|const char* k = "Нет связи";|the desktop words a message'
  'desktop/comment.cpp|// "Выход" ends the program|-'
  'desktop/latin.cpp|const char* k = "StatusBar1Panel1";|-'
  'desktop/parse.cpp|const double v = text.toDouble();|the desktop converts a number'
  'desktop/format.cpp|label->setText(QString::number(margin));|the desktop converts a number'
  'desktop/model.h|auto v = ParseDecimal(box.text);|the desktop converts a number'
  'desktop/axis.cpp|return QString::number(v);  // painting: tick numbers|-'
  'quotes/words.cpp|const char* k = "Нет связи";|-'
  'app/engine.cpp|#include "app/unit1.h"|-'
  'app/recalc.cpp|#include "assistant/recalc.h"|the model includes a layer above it'
  'app/window.cpp|#include "desktop/main_window.h"|the model includes a layer above it'
  'quotes/own.cpp|#include "quotes/quote_table.h"|-'
  'quotes/assistant.cpp|#include "assistant/recalc.h"|a subsystem includes another'
  'simulators/quotes.h|#include "quotes/refresh.h"|a subsystem includes another'
  'assistant/window.cpp|#include "desktop/main_window.h"|a subsystem includes another'
  'quotes/own_handler.cpp|  Button9Click();|-'
  'quotes/follow_up.cpp|  ListView1Click();|a subsystem runs another folder'"'"'s handler'
  'simulators/reads.cpp|  form.ListView1Click();|a subsystem runs another folder'"'"'s handler'
  'simulators/stores.cpp|  StoreSettings();|a subsystem runs another folder'"'"'s handler'
  'assistant/defines.cpp|void TForm1::ListView1Click() {|-'
  'app/orchestrates.cpp|  ListView1Click();|-'
)
# The handlers' homes, as app/unit1.h names them.
handler_declarations='  void Button9Click();     // quotes/refresh.cpp
  void ListView1Click();   // assistant/recalc.cpp
  void StoreSettings();    // app/settings_rules.cpp'


tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
for row in "${cases[@]}"; do
  IFS='|' read -r file include _ <<<"$row"
  mkdir -p "$tree/$(dirname "$file")"
  printf '// planted\n#include <string>\n%s\n' "$include" >"$tree/$file"
done
printf '%s\n' "$handler_declarations" >>"$tree/app/unit1.h"
output=$("$check" "$tree")
status=$?

failed=0
expected=0
for row in "${cases[@]}"; do
  IFS='|' read -r file include rule <<<"$row"
  if [ "$rule" = "-" ]; then
    if [[ $output == *"$file:"* ]]; then
      echo "FAIL: $file with '$include' was reported"
      failed=1
    fi
  else
    expected=$((expected + 1))
    if [[ $output != *"$file:3: $rule:"* ]]; then
      echo "FAIL: $file with '$include' should give '$file:3: $rule'"
      failed=1
    fi
  fi
done
if [ "$status" -ne 1 ] || [[ $output != *"$expected line(s) cross a layer"* ]]; then
  echo "FAIL: the check should exit 1 and count $expected findings, got exit $status"
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  printf 'the check printed:\n%s\n' "$output"
  exit 1
fi
echo "check_layering_test: ${#cases[@]} cases, $expected findings"
