// The matcher: a literal-chain scan for patterns of literals joined by lazy ".*?", and PCRE2
// (8-bit, JIT where the library has it) for everything else.
//
// Why the literal chain: a pattern L1 .*? L2 .*? ... Lk, where "." matches every character, is
// the worst case of a backtracking engine. When the text holds many L1 and L2 but no complete
// entry, every start tries every extent of every lazy run before giving up, which grows with the
// square (or worse) of the text. Yet the answer is simple: a chain Lj..Lk can be found from
// position x whenever it can be found from some later position, so the earliest occurrence of
// each literal after the previous one is exactly what shortest-first backtracking settles on,
// and if the chain fails from the first L1 it fails from every later start too. Searching each
// literal once, left to right, gives the same groups in one pass.
#include "support/regexpr.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tiramon {

namespace {

constexpr const char* kMsgNoInput = "TRegExpr(exec): No Input String Specified";
constexpr const char* kMsgNoExpression = "TRegExpr(exec): Not Assigned Expression Property";
constexpr const char* kMsgExecNext = "TRegExpr(exec): ExecNext Without Exec[Pos]";
constexpr const char* kMsgBadOffset = "TRegExpr(exec): Offset Must Be Greater Then 0";
constexpr const char* kMsgTooComplex = "TRegExpr(exec): Search Too Complex";
constexpr const char* kMsgUnmatched = "TRegExpr(comp): ParseReg Unmatched ()";
constexpr const char* kMsgUnknownModifier = "TRegExpr(comp): Urecognized Modifier";

[[noreturn]] void ThrowCompileError(const std::string& text, int code, int position) {
  throw ERegExpr(text + " (pos " + std::to_string(position) + ")", code, position);
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// ---- Pattern scanning shared by the checks below ------------------------------------------

// Length of the character class starting at pattern[at] == '[', up to and including its ']';
// the rest of the pattern when it never closes.
std::size_t ClassLength(std::string_view p, std::size_t at) {
  std::size_t i = at + 1;
  if (i < p.size() && p[i] == '^') ++i;
  if (i < p.size() && p[i] == ']') ++i;  // a leading ']' is a member
  while (i < p.size() && p[i] != ']') {
    if (p[i] == '\\') {
      i += 2;
    } else if (p[i] == '[' && i + 1 < p.size() && p[i + 1] == ':') {
      const std::size_t close = p.find(":]", i + 2);
      i = close == std::string_view::npos ? i + 1 : close + 2;
    } else {
      ++i;
    }
  }
  return (i < p.size() ? i + 1 : p.size()) - at;
}

// 1-based position of the first parenthesis without a partner, or 0 when they balance.
int UnbalancedParenthesis(std::string_view p, bool extended) {
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '\\') {
      if (i + 1 < p.size() && p[i + 1] == 'Q') {
        const std::size_t end = p.find("\\E", i + 2);
        if (end == std::string_view::npos) break;
        i = end + 1;
      } else {
        ++i;
      }
    } else if (c == '[') {
      i += ClassLength(p, i) - 1;
    } else if (c == '#' && extended) {
      const std::size_t end = p.find('\n', i);
      if (end == std::string_view::npos) break;
      i = end;
    } else if (c == '(' && p.substr(i, 3) == "(?#") {
      const std::size_t end = p.find(')', i);
      if (end == std::string_view::npos) return static_cast<int>(i + 1);
      i = end;
    } else if (c == '(') {
      open.push_back(i);
    } else if (c == ')') {
      if (open.empty()) return static_cast<int>(i + 1);
      open.pop_back();
    }
  }
  return open.empty() ? 0 : static_cast<int>(open.front() + 1);
}

// With modifier r a class range over the Cyrillic letters of the 8-bit code page also takes the
// letter yo, which that code page keeps outside the alphabet's block: а-я (E0-FF) gets ё (B8),
// А-Я (C0-DF) gets Ё (A8). Only ranges written with raw bytes are widened.
std::string WidenCyrillicRanges(std::string_view p) {
  std::string out;
  out.reserve(p.size() + 4);
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '\\') {
      out.append(p.substr(i, 2));
      ++i;
      continue;
    }
    if (p[i] != '[') {
      out.push_back(p[i]);
      continue;
    }
    const std::size_t end = i + ClassLength(p, i);
    std::size_t j = i + 1;
    out.push_back('[');
    if (j < end && p[j] == '^') out.push_back(p[j++]);
    int previous = -1;  // the last member written as a raw byte, -1 after anything else
    while (j < end) {
      const char c = p[j];
      if (c == '\\') {
        out.append(p.substr(j, 2));
        j += 2;
        previous = -1;
      } else if (c == '-' && previous >= 0 && j + 1 < end - 1 && p[j + 1] != '\\' &&
                 p[j + 1] != '[') {
        const int low = previous;
        const int high = static_cast<unsigned char>(p[j + 1]);
        out.push_back('-');
        out.push_back(p[j + 1]);
        if (low <= 0xE0 && high >= 0xFF) out.push_back('\xB8');
        if (low <= 0xC0 && high >= 0xDF) out.push_back('\xA8');
        j += 2;
        previous = -1;
      } else {
        out.push_back(c);
        previous = static_cast<unsigned char>(c);
        ++j;
      }
    }
    i = end - 1;
  }
  return out;
}

// ---- The literal chain --------------------------------------------------------------------

// One run of literal characters between two lazy ".*?" runs, with the group boundaries that fall
// inside it (slot 2n = start of group n, 2n+1 = its end; offset from the run's start).
struct ChainSegment {
  std::string text;
  std::vector<std::pair<int, std::size_t>> marks;
};

// The segments of a pattern that is literals, groups and lazy ".*?" only; nothing otherwise.
std::optional<std::vector<ChainSegment>> BuildLiteralChain(std::string_view p, bool greedy,
                                                           bool caseless) {
  std::vector<ChainSegment> segments(1);
  std::vector<int> open;
  int groups = 0;
  auto mark = [&](int slot) {
    if (slot < 2 * TRegExpr::kGroupSlots) {
      segments.back().marks.emplace_back(slot, segments.back().text.size());
    }
  };
  mark(0);
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    switch (c) {
      case '\\':
        if (i + 1 >= p.size() || IsAsciiAlnum(static_cast<unsigned char>(p[i + 1]))) {
          return std::nullopt;
        }
        segments.back().text.push_back(p[++i]);
        break;
      case '(':
        if (i + 1 < p.size() && (p[i + 1] == '?' || p[i + 1] == '*')) return std::nullopt;
        open.push_back(++groups);
        mark(2 * groups);
        break;
      case ')':
        if (open.empty()) return std::nullopt;
        mark(2 * open.back() + 1);
        open.pop_back();
        break;
      case '.': {
        if (i + 1 >= p.size() || p[i + 1] != '*') return std::nullopt;
        ++i;
        bool lazy = !greedy;
        if (i + 1 < p.size() && p[i + 1] == '?') {
          lazy = greedy;
          ++i;
        } else if (i + 1 < p.size() && p[i + 1] == '+') {
          return std::nullopt;
        }
        if (!lazy) return std::nullopt;
        segments.emplace_back();
        break;
      }
      case '^':
      case '$':
      case '[':
      case ']':
      case '{':
      case '}':
      case '|':
      case '?':
      case '*':
      case '+':
        return std::nullopt;
      default:
        segments.back().text.push_back(c);
    }
  }
  if (!open.empty()) return std::nullopt;
  mark(1);
  if (caseless) {
    for (ChainSegment& segment : segments) {
      for (char& ch : segment.text) ch = FoldAscii(ch);
    }
  }
  return segments;
}

std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from;
  if (from > text.size() || text.size() - from < needle.size()) return std::string_view::npos;
  const void* hit = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
  return hit == nullptr ? std::string_view::npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

bool EqualsFolded(const char* text, const char* folded, std::size_t length) {
  for (std::size_t k = 0; k < length; ++k) {
    if (FoldAscii(text[k]) != folded[k]) return false;
  }
  return true;
}

#ifdef __SSE2__
// ASCII upper to lower case on sixteen bytes: adding 128 - 'A' moves 'A'..'Z', and only them,
// to the lowest 26 signed byte values.
__m128i FoldBlock(__m128i bytes) {
  const __m128i shifted = _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(128 - 'A')));
  const __m128i upper = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 26)));
  return _mm_or_si128(bytes, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
}
#endif

// First occurrence at or after `from` of a needle given in lower case, letters compared without
// regard to case. Sixteen places are tested at a time on the needle's first and last character;
// only where both fit is the rest compared. The text is not copied or folded as a whole, so a
// search costs no more memory than the text itself.
std::size_t FindFromCaseless(std::string_view text, std::string_view folded, std::size_t from) {
  const std::size_t m = folded.size();
  if (m == 0) return from;
  if (from > text.size() || text.size() - from < m) return std::string_view::npos;
  const char first = folded[0];
  const char last = folded[m - 1];
  const std::size_t middle = m >= 2 ? m - 2 : 0;
  const char* const data = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
#ifdef __SSE2__
  const __m128i firstBytes = _mm_set1_epi8(first);
  const __m128i lastBytes = _mm_set1_epi8(last);
  for (; i + (m - 1) + 16 <= n; i += 16) {
    const __m128i heads = FoldBlock(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)));
    const __m128i tails =
        FoldBlock(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m - 1)));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(heads, firstBytes), _mm_cmpeq_epi8(tails, lastBytes))));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (EqualsFolded(data + i + bit + 1, folded.data() + 1, middle)) return i + bit;
      mask &= mask - 1;
    }
  }
#endif
  for (; i + m <= n; ++i) {
    if (FoldAscii(data[i]) == first && FoldAscii(data[i + m - 1]) == last &&
        EqualsFolded(data + i + 1, folded.data() + 1, middle)) {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace

// ---- The compiled form --------------------------------------------------------------------

struct TRegExpr::Program {
  std::optional<std::vector<ChainSegment>> chain;
  pcre2_code* code = nullptr;
  pcre2_match_data* matchData = nullptr;

  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() {
    pcre2_match_data_free(matchData);
    pcre2_code_free(code);
  }
};

namespace {

// Where group n's start offset sits among the slots; its end follows it. n is in range.
std::size_t StartSlot(int n) { return 2 * static_cast<std::size_t>(n); }

pcre2_code* CompilePcre(std::string_view pattern, std::uint32_t options, int& errorCode,
                        PCRE2_SIZE& errorOffset) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (context != nullptr) pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   options, &errorCode, &errorOffset, context);
  pcre2_compile_context_free(context);
  return code;
}

std::string PcreMessage(int code) {
  PCRE2_UCHAR buffer[256];
  const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
  if (length < 0) return "error " + std::to_string(code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

}  // namespace

TRegExpr::TRegExpr() { slots_.fill(-1); }

TRegExpr::~TRegExpr() = default;

namespace {

// Index of a modifier letter, in the order the flags are kept: i r s g m x.
std::size_t ModifierIndex(char letter) {
  constexpr std::string_view kLetters = "irsgmx";
  const std::size_t index = kLetters.find(FoldAscii(letter));
  if (letter == '\0' || index == std::string_view::npos) {
    throw ERegExpr(kMsgUnknownModifier, regexpr_errors::kUnknownModifier);
  }
  return index;
}

}  // namespace

void TRegExpr::SetModifier(char letter, bool on) {
  bool& flag = modifiers_[ModifierIndex(letter)];
  if (flag != on) {
    flag = on;
    program_.reset();
  }
}

bool TRegExpr::GetModifier(char letter) const { return modifiers_[ModifierIndex(letter)]; }

namespace {
std::string_view UpToNul(std::string_view text) {
  const void* nul = std::memchr(text.data(), '\0', text.size());
  if (nul != nullptr)
    text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
  return text;
}
}  // namespace

void TRegExpr::SetInputString(std::string_view text) {
  ownedInput_.assign(UpToNul(text));
  input_ = ownedInput_;
  hasInput_ = true;
  slots_.fill(-1);
  lastMatched_ = false;
}

void TRegExpr::SetInputView(std::string_view text) {
  std::string().swap(ownedInput_);
  input_ = UpToNul(text);
  hasInput_ = true;
  slots_.fill(-1);
  lastMatched_ = false;
}

void TRegExpr::SetExpression(std::string_view pattern) {
  if (pattern == expression_) return;
  expression_.assign(pattern);
  program_.reset();
}

void TRegExpr::SetEngine(Engine engine) {
  if (engine_ != engine) {
    engine_ = engine;
    program_.reset();
  }
}

void TRegExpr::Compile() {
  if (program_) return;
  auto program = std::make_unique<Program>();

  if (const int position = UnbalancedParenthesis(expression_, GetModifier('x')); position != 0) {
    ThrowCompileError(kMsgUnmatched, regexpr_errors::kUnmatchedParentheses, position);
  }
  if (engine_ == Engine::kAuto && GetModifier('s') && !GetModifier('x')) {
    program->chain = BuildLiteralChain(expression_, GetModifier('g'), GetModifier('i'));
  }
  if (!program->chain) {
    std::uint32_t options = 0;
    if (GetModifier('i')) options |= PCRE2_CASELESS;
    if (GetModifier('s')) options |= PCRE2_DOTALL;
    if (GetModifier('m')) options |= PCRE2_MULTILINE;
    if (GetModifier('x')) options |= PCRE2_EXTENDED;
    if (!GetModifier('g')) options |= PCRE2_UNGREEDY;
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    // The pattern as written is compiled first, so that error positions refer to it.
    program->code = CompilePcre(expression_, options, errorCode, errorOffset);
    if (program->code == nullptr) {
      const int position = static_cast<int>(errorOffset) + 1;
      switch (errorCode) {
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
          ThrowCompileError(kMsgUnmatched, regexpr_errors::kUnmatchedParentheses, position);
        case PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY:
          ThrowCompileError(kMsgUnknownModifier, regexpr_errors::kUnknownModifier, position);
        default:
          ThrowCompileError("TRegExpr(comp): " + PcreMessage(errorCode),
                            regexpr_errors::kCompileFailed, position);
      }
    }
    if (GetModifier('r')) {
      const std::string widened = WidenCyrillicRanges(expression_);
      if (widened != expression_) {
        pcre2_code* code = CompilePcre(widened, options, errorCode, errorOffset);
        if (code != nullptr) {
          pcre2_code_free(program->code);
          program->code = code;
        }
      }
    }
    pcre2_jit_compile(program->code, PCRE2_JIT_COMPLETE);  // falls back to the interpreter
    program->matchData = pcre2_match_data_create(kGroupSlots, nullptr);
    if (program->matchData == nullptr) throw std::bad_alloc();
  }
  program_ = std::move(program);
}

bool TRegExpr::UsesLiteralChain() {
  Compile();
  return program_->chain.has_value();
}

bool TRegExpr::Exec() { return ExecPos(1); }

bool TRegExpr::ExecNext() {
  if (!lastMatched_) {
    throw ERegExpr(kMsgExecNext, regexpr_errors::kExecNextWithoutExec);
  }
  const auto end = static_cast<std::size_t>(slots_[1]);
  return ExecFrom(slots_[0] == slots_[1] ? end + 1 : end);
}

bool TRegExpr::ExecPos(int position) {
  slots_.fill(-1);
  lastMatched_ = false;
  if (position < 1) {
    CheckReady();
    throw ERegExpr(kMsgBadOffset, regexpr_errors::kBadOffset);
  }
  return ExecFrom(static_cast<std::size_t>(position) - 1);
}

void TRegExpr::CheckReady() const {
  if (!hasInput_) throw ERegExpr(kMsgNoInput, regexpr_errors::kNoInputString);
  if (expression_.empty()) throw ERegExpr(kMsgNoExpression, regexpr_errors::kNoExpression);
}

bool TRegExpr::ExecFrom(std::size_t start) {
  slots_.fill(-1);
  lastMatched_ = false;
  CheckReady();
  Compile();
  if (start > input_.size()) return false;
  lastMatched_ = Search(start);
  if (!lastMatched_) slots_.fill(-1);
  return lastMatched_;
}

bool TRegExpr::Search(std::size_t start) {
  if (program_->chain) {
    const bool caseless = GetModifier('i');
    std::size_t position = start;
    for (const ChainSegment& segment : *program_->chain) {
      const std::size_t at = caseless ? FindFromCaseless(input_, segment.text, position)
                                      : FindFrom(input_, segment.text, position);
      if (at == std::string_view::npos) return false;
      for (const auto& [slot, offset] : segment.marks) {
        slots_[static_cast<std::size_t>(slot)] = static_cast<std::ptrdiff_t>(at + offset);
      }
      position = at + segment.text.size();
    }
    return true;
  }

  const auto subject = reinterpret_cast<PCRE2_SPTR>(input_.data());
  int rc =
      pcre2_match(program_->code, subject, input_.size(), start, 0, program_->matchData, nullptr);
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    // The interpreter keeps its backtracking state on the heap and goes further.
    rc = pcre2_match(program_->code, subject, input_.size(), start, PCRE2_NO_JIT,
                     program_->matchData, nullptr);
  }
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
      rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    throw ERegExpr(kMsgTooComplex, regexpr_errors::kSearchTooComplex);
  }
  if (rc < 0) {
    throw ERegExpr("TRegExpr(exec): " + PcreMessage(rc), regexpr_errors::kSearchTooComplex);
  }
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(program_->matchData);
  // Only the first rc pairs are set (0: all of them, the pattern has more groups than fit).
  const std::uint32_t pairs =
      rc == 0 ? pcre2_get_ovector_count(program_->matchData) : static_cast<std::uint32_t>(rc);
  for (std::uint32_t n = 0; n < pairs && n < static_cast<std::uint32_t>(kGroupSlots); ++n) {
    if (ovector[2 * n] == PCRE2_UNSET || ovector[2 * n + 1] == PCRE2_UNSET) continue;
    slots_[2 * n] = static_cast<std::ptrdiff_t>(ovector[2 * n]);
    slots_[2 * n + 1] = static_cast<std::ptrdiff_t>(ovector[2 * n + 1]);
  }
  return true;
}

std::string TRegExpr::GroupText(int n) const {
  if (!hasInput_ || n < 0 || n >= kGroupSlots) return {};
  const std::ptrdiff_t from = slots_[StartSlot(n)];
  const std::ptrdiff_t to = slots_[StartSlot(n) + 1];
  if (from < 0 || to < from) return {};
  return std::string(
      input_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

int TRegExpr::MatchPos(int n) const {
  if (n < 0 || n >= kGroupSlots) return -1;
  const std::ptrdiff_t from = slots_[StartSlot(n)];
  const std::ptrdiff_t to = slots_[StartSlot(n) + 1];
  if (from < 0 || to < 0) return -1;
  return static_cast<int>(from) + 1;
}

int TRegExpr::MatchLen(int n) const {
  if (n < 0 || n >= kGroupSlots) return -1;
  const std::ptrdiff_t from = slots_[StartSlot(n)];
  const std::ptrdiff_t to = slots_[StartSlot(n) + 1];
  if (from < 0 || to < 0) return -1;
  return static_cast<int>(to - from);
}

}  // namespace tiramon
