// SPDX-License-Identifier: MIT
// The outcome of an internal operation: a code (0, a VARNIX_E* code, or a refused command
// as the negated reply code) and the text that ftp_lasterror returns for it.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "varnix32.h"

namespace varnix {

class [[nodiscard]] Status {
  public:
    Status() = default;

    static Status ok(std::string text = {}) { return {VARNIX_OK, std::move(text)}; }
    static Status invalid(std::string text) { return {VARNIX_EINVAL, std::move(text)}; }
    static Status badHandle(std::string text) { return {VARNIX_EHANDLE, std::move(text)}; }
    static Status connectFailed(std::string text) { return {VARNIX_ECONNECT, std::move(text)}; }
    static Status timeout(std::string text) { return {VARNIX_ETIMEOUT, std::move(text)}; }
    static Status local(std::string text) { return {VARNIX_ELOCAL, std::move(text)}; }
    static Status aborted(std::string text) { return {VARNIX_EABORTED, std::move(text)}; }
    static Status protocol(std::string text) { return {VARNIX_EPROTOCOL, std::move(text)}; }
    static Status network(std::string text) { return {VARNIX_ENETWORK, std::move(text)}; }
    static Status busy(std::string text) { return {VARNIX_EBUSY, std::move(text)}; }
    static Status tls(std::string text) { return {VARNIX_ETLS, std::move(text)}; }
    // A 4xx/5xx reply: the code is the negated reply code, the text the reply.
    static Status refused(int replyCode, std::string text) { return {-replyCode, std::move(text)}; }

    bool isOk() const { return code_ == VARNIX_OK; }
    int code() const { return code_; }
    const std::string& text() const { return text_; }
    // The same failure with more context in front of its text.
    Status withContext(const std::string& context) const { return {code_, context + ": " + text_}; }
    // The same failure with more said after its text.
    Status withDetail(const std::string& detail) const { return {code_, text_ + detail}; }

  private:
    Status(int code, std::string text) : code_(code), text_(std::move(text)) {}

    int code_ = VARNIX_OK;
    std::string text_;
};

// A value, or the Status that says why there is none.
template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
    Result(Status status) : status_(std::move(status)) {
        if (status_.isOk()) status_ = Status::protocol("internal error: empty result");
    }

    bool isOk() const { return value_.has_value(); }
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    const Status& status() const { return status_; }

  private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace varnix

// Returns the failure of a Status-returning expression from the enclosing function.
#define VARNIX_RETURN_IF_ERROR(expr)                       \
    do {                                                   \
        ::varnix::Status varnix_status_ = (expr);          \
        if (!varnix_status_.isOk()) return varnix_status_; \
    } while (false)
