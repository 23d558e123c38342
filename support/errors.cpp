#include "support/errors.h"

namespace tiramon {

std::string EscapedErrorMessage(const std::exception_ptr& error) {
  std::string detail;
  try {
    std::rethrow_exception(error);
  } catch (const UserError& userError) {
    return userError.what();
  } catch (const std::exception& fault) {
    detail = fault.what();
  } catch (...) {
    // Something that is not even an exception class: there is no text to add.
  }
  return detail.empty() ? std::string(kInternalErrorPrefix)
                        : std::string(kInternalErrorPrefix) + ": " + detail;
}

}  // namespace tiramon
