// The pattern matcher the quote page parser uses: a regular-expression object with letter
// modifiers, its own copy of the text to search and fifteen capture slots (groups 0 to 14).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "support/errors.h"

namespace tiramon {

// A matcher error. Compile errors carry the 1-based position in the pattern where they were
// found and have it in their message as " (pos N)"; search errors have the plain text.
class ERegExpr : public UserError {
 public:
  ERegExpr(const std::string& message, int errorCode, int compilerErrorPos = 0)
      : UserError(message), ErrorCode(errorCode), CompilerErrorPos(compilerErrorPos) {}

  int ErrorCode;
  int CompilerErrorPos;
};

// Error codes of ERegExpr: below 1000 compile errors, from 1000 search errors.
namespace regexpr_errors {
inline constexpr int kCompileFailed = 100;  // anything the engine rejects, with its own text
inline constexpr int kUnmatchedParentheses = 102;
inline constexpr int kUnknownModifier = 108;
inline constexpr int kNoInputString = 1001;
inline constexpr int kNoExpression = 1002;
inline constexpr int kExecNextWithoutExec = 1003;
inline constexpr int kBadOffset = 1004;
inline constexpr int kSearchTooComplex = 1005;
}  // namespace regexpr_errors

// Modifiers (letter, meaning, value at creation):
//   i  letters match regardless of case (ASCII letters)           off
//   r  in character classes, а-я also takes ё and А-Я takes Ё      on
//      (the 8-bit Cyrillic code page, ranges written as raw bytes)
//   s  "." matches every character, line breaks included          on
//   g  plain quantifiers are greedy; off turns every quantifier    on
//      the other way round
//   m  "^" and "$" also match at line breaks                       off
//   x  blanks and #-comments in the pattern are ignored            off
//
// A pattern made only of literal characters, capturing groups and lazy ".*?" runs (with s on and
// x off), such as the quote row pattern, is searched by a linear literal-chain scan that gives
// exactly the leftmost, shortest-first backtracking result; every other pattern goes to the
// backtracking engine.
class TRegExpr {
 public:
  static constexpr int kGroupSlots = 15;

  // kAuto uses the literal-chain scan where it applies; kBacktracking always uses the general
  // engine (tests use it to check one against the other).
  enum class Engine { kAuto, kBacktracking };

  TRegExpr();
  ~TRegExpr();
  TRegExpr(const TRegExpr&) = delete;
  TRegExpr& operator=(const TRegExpr&) = delete;

  // Throws "TRegExpr(comp): Urecognized Modifier" for a letter outside "irsgmx" (either case).
  void SetModifier(char letter, bool on);
  bool GetModifier(char letter) const;

  // Copies the text up to its first NUL character; clears the last match.
  void SetInputString(std::string_view text);
  // The same without the copy: the matcher reads `text` where it lies, so it must stay unchanged
  // while the matcher searches it and reads its groups. For a page of many megabytes.
  void SetInputView(std::string_view text);
  std::string_view InputString() const { return input_; }

  // A different text discards the compiled form; it is compiled at the next search.
  void SetExpression(std::string_view pattern);
  const std::string& Expression() const { return expression_; }

  void SetEngine(Engine engine);

  // Search from the first character.
  bool Exec();
  // Search from just after the last match (one further when it was empty).
  bool ExecNext();
  // Search from the 1-based position; below 1 is an error, beyond the end plus one fails.
  bool ExecPos(int position);

  // Text of group n (0 = whole match) of the last match; empty when the group did not take part,
  // after a failed search or for n outside 0..14.
  std::string GroupText(int n) const;
  // 1-based start of group n, or -1; length of group n, or -1.
  int MatchPos(int n) const;
  int MatchLen(int n) const;

  // Whether the current pattern and modifiers are searched by the literal-chain scan (compiles
  // the pattern if needed, so it may throw compile errors).
  bool UsesLiteralChain();

 private:
  struct Program;

  void CheckReady() const;
  void Compile();
  bool ExecFrom(std::size_t start);  // 0-based
  bool Search(std::size_t start);

  std::string expression_;
  std::string ownedInput_;  // the copy SetInputString makes
  std::string_view input_;  // the text searched: ownedInput_ or the caller's
  bool hasInput_ = false;

  // i r s g m x, as at creation.
  std::array<bool, 6> modifiers_{false, true, true, true, false, false};
  Engine engine_ = Engine::kAuto;

  std::unique_ptr<Program> program_;
  // Start and end offset (0-based) of each group, -1 when unset.
  std::array<std::ptrdiff_t, 2 * kGroupSlots> slots_{};
  bool lastMatched_ = false;
};

}  // namespace tiramon
