#pragma once
// One HTTP GET at a time, read in small pieces by its caller on the calling thread. The update
// component speaks to this interface; the program uses libcurl behind it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qmz {

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // Sends the request; false when it could not even be started (a malformed address).
  virtual bool Open(const std::string& url, const std::string& userName, const std::string& password) = 0;
  // Waits for the head of the final response (redirects followed); false when the transfer failed or
  // was stopped before it.
  virtual bool WaitHead() = 0;
  virtual long Status() const = 0;
  virtual std::optional<std::int64_t> ContentLength() const = 0;
  // Up to maxBytes of the body; 0 at its end, on failure (see Failed) or when stopped.
  virtual std::size_t Read(char* buffer, std::size_t maxBytes) = 0;
  virtual bool Failed() const = 0;
  virtual std::string ErrorText() const = 0;
};

// What a waiting transport calls between network turns: pump is run about every 20 ms so the
// windows stay live; a true shouldStop ends the wait. A positive timeout bounds the whole transfer,
// a positive maxBytes the body (a longer announced or received body fails the transfer).
struct TransportHooks {
  std::function<void()> pump;
  std::function<bool()> shouldStop;
  std::chrono::milliseconds timeout{0};
  std::int64_t maxBytes = 0;
};

// libcurl: http and https, at most 5 redirects, connect and stall time-outs.
std::unique_ptr<HttpTransport> MakeCurlTransport(TransportHooks hooks);

}  // namespace qmz
