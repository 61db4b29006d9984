// SPDX-License-Identifier: MIT
// The connection document: one FTP session of one document window, and the line that its
// views are to show next.
#pragma once

#include <string>
#include <vector>

namespace brisel {

class CBrisel32View;

inline constexpr const char* kFirstMessage = "Please connect to server first...";

class CBrisel32Doc {
  public:
    CBrisel32Doc() = default;
    CBrisel32Doc(const CBrisel32Doc&) = delete;
    CBrisel32Doc& operator=(const CBrisel32Doc&) = delete;

    int m_hFtp = 0;  // the library's session handle; connected while greater than 0
    int m_bStatusBox = 1;
    std::string m_strHost;
    std::string m_strUser;
    std::string m_strPassword;  // kept so that the loop tests can log in again
    std::string m_strMessage = kFirstMessage;

    bool IsConnected() const { return m_hFtp > 0; }

    // Every view appends m_strMessage to its log.
    void RefreshViews();

    // The document's title ("Dovrel1", or what Login set); windows show it.
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Views register themselves for their lifetime.
    void AddView(CBrisel32View& view);
    void RemoveView(CBrisel32View& view);
    const std::vector<CBrisel32View*>& Views() const { return views_; }

  private:
    std::string title_;
    std::vector<CBrisel32View*> views_;
};

}  // namespace brisel
