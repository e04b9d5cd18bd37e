#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "update/HttpTransport.h"

namespace qmz {

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kStallSeconds = 30;  // a transfer slower than 1 byte/s for this long is given up
constexpr long kMaxRedirects = 5;
constexpr std::size_t kMaxPending = 256 * 1024;  // received but not yet read: beyond it the socket waits

class CurlHttpTransport final : public HttpTransport {
 public:
  explicit CurlHttpTransport(TransportHooks hooks) : hooks_(std::move(hooks)) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }

  ~CurlHttpTransport() override {
    if (multi_ != nullptr) {
      if (easy_ != nullptr) curl_multi_remove_handle(multi_, easy_);
      curl_multi_cleanup(multi_);
    }
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
  }

  bool Open(const std::string& url, const std::string& userName, const std::string& password) override {
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (easy_ == nullptr || multi_ == nullptr) return Fail("libcurl could not be initialised");
    // An address from the page that is none (blanks or control characters in it) is refused here, with its
    // reason, rather than sent in some repaired form.
    if (CURLU* parsed = curl_url(); parsed != nullptr) {
      const CURLUcode code = curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0);
      curl_url_cleanup(parsed);
      if (code != CURLUE_OK) return Fail(std::string("the address is malformed: ") + curl_url_strerror(code));
    }
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    if (hooks_.timeout.count() > 0) curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, long(hooks_.timeout.count()));
    // Also refuses a length too large to read as a number, which libcurl would otherwise ignore.
    if (hooks_.maxBytes > 0) curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(hooks_.maxBytes));
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, "TwuWebUpdate");
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    if (!userName.empty()) curl_easy_setopt(easy_, CURLOPT_USERNAME, userName.c_str());
    if (!password.empty()) curl_easy_setopt(easy_, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlHttpTransport::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlHttpTransport::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return Fail("libcurl could not start the request");
    return true;
  }

  bool WaitHead() override {
    while (!headDone_ && !done_ && !Stopped()) Turn();
    if (done_ && result_ == CURLE_OK) headDone_ = true;  // an empty body still has a head
    return headDone_ && !Failed();
  }

  long Status() const override {
    long status = 0;
    if (easy_ != nullptr) curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    return status;
  }

  std::optional<std::int64_t> ContentLength() const override {
    curl_off_t length = -1;
    if (easy_ == nullptr || curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
        length < 0) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(length);
  }

  std::size_t Read(char* buffer, std::size_t maxBytes) override {
    while (offset_ == pending_.size() && !done_ && !Stopped()) Turn();
    const std::size_t n = std::min(maxBytes, pending_.size() - offset_);
    std::memcpy(buffer, pending_.data() + offset_, n);
    offset_ += n;
    if (offset_ == pending_.size()) {
      pending_.clear();
      offset_ = 0;
      if (paused_) {
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
      }
    }
    return n;
  }

  bool Failed() const override { return failed_ || (done_ && result_ != CURLE_OK); }

  std::string ErrorText() const override {
    if (!errorText_.empty()) return errorText_;
    if (done_ && result_ != CURLE_OK) return errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(result_);
    return {};
  }

 private:
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transport = static_cast<CurlHttpTransport*>(self);
    const std::size_t length = size * count;
    if (length <= 2 && (length == 0 || data[0] == '\r' || data[0] == '\n')) {
      // End of one head: a redirect or an interim answer is followed by another.
      const long status = transport->Status();
      if (status >= 200 && !(status >= 300 && status < 400)) transport->headDone_ = true;
    }
    return length;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transport = static_cast<CurlHttpTransport*>(self);
    if (transport->pending_.size() - transport->offset_ >= kMaxPending) {
      transport->paused_ = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    transport->headDone_ = true;
    transport->pending_.append(data, size * count);
    return size * count;
  }

  bool Stopped() const { return hooks_.shouldStop && hooks_.shouldStop(); }

  bool Fail(std::string text) {
    failed_ = true;
    errorText_ = std::move(text);
    return false;
  }

  // One network turn: move data, note the end, wait briefly for the socket, let the windows run.
  void Turn() {
    if (failed_) {
      done_ = true;
      return;
    }
    int running = 0;
    curl_multi_perform(multi_, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        done_ = true;
        result_ = message->data.result;
      }
    }
    if (!done_ && !paused_) curl_multi_poll(multi_, nullptr, 0, 20, nullptr);
    if (hooks_.pump) hooks_.pump();
  }

  TransportHooks hooks_;
  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  std::string errorText_;
  std::string pending_;
  std::size_t offset_ = 0;
  bool paused_ = false;
  bool headDone_ = false;
  bool done_ = false;
  bool failed_ = false;
  CURLcode result_ = CURLE_OK;
};

}  // namespace

std::unique_ptr<HttpTransport> MakeCurlTransport(TransportHooks hooks) {
  return std::make_unique<CurlHttpTransport>(std::move(hooks));
}

}  // namespace qmz
