#pragma once
// The toolkit's exceptions. Each carries the exact text the application's
// error display shows; nothing but that display shows them.
#include <string>

class Exception {
 public:
  explicit Exception(std::wstring message) : message_(std::move(message)) {}
  virtual ~Exception() = default;
  const std::wstring& Message() const noexcept { return message_; }

 private:
  std::wstring message_;
};

// A system resource (a DC, a bitmap, memory for pixels) could not be had.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
  EOutOfResources() : Exception(L"Out of system resources") {}
};
class EInvalidOperation : public Exception { using Exception::Exception; };
class EStreamError : public Exception { using Exception::Exception; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class ERegistryException : public Exception { using Exception::Exception; };
class EInvalidGraphic : public Exception { using Exception::Exception; };
// A command ran out of memory (the message loop's word for std::bad_alloc).
class EOutOfMemory : public Exception { using Exception::Exception; };

// "%s" in a message template replaced by an argument, as the toolkit's
// resource strings are formatted.
std::wstring FormatMessageText(const std::wstring& pattern, const std::wstring& arg);

// An object assigned from one of a kind it cannot copy.
class EConvertError : public Exception { using Exception::Exception; };
