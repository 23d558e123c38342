// Failures of the page fetch. Every one of them derives from HttpError, so a caller that treats
// all failures alike catches one type; the protocol error keeps what the server answered. The
// one exception is the user's own decision to stop waiting (DownloadAborted), which is no failure.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "support/errors.h"

namespace tiramon {

// Any failure of a page fetch: name resolution, connection, transfer, a malformed or oversized
// response, a target the client cannot reach.
class HttpError : public UserError {
 public:
  using UserError::UserError;
};

// A connect, read or whole-fetch time limit ran out.
class HttpTimeout : public HttpError {
 public:
  using HttpError::HttpError;
};

// The server answered, but not with a page: a status other than success or a redirect, or a
// redirect the client was told not to follow.
class HttpProtocolError : public HttpError {
 public:
  HttpProtocolError(int statusCode, std::string statusLine, std::string body)
      : HttpError("HTTP error " + std::to_string(statusCode) + ": " + statusLine),
        statusCode_(statusCode),
        statusLine_(std::move(statusLine)),
        body_(std::move(body)) {}

  int statusCode() const { return statusCode_; }
  const std::string& statusLine() const { return statusLine_; }
  const std::string& body() const { return body_; }

 private:
  int statusCode_;
  std::string statusLine_;
  std::string body_;
};

// The caller's event pump asked a download or a page fetch to stop (the program is ending).
// Nothing that follows the transfer should run, so this is deliberately not an HttpError: code
// that copes with a failed fetch must not catch it and carry on.
class DownloadAborted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tiramon
