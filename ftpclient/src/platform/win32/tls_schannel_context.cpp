// SPDX-License-Identifier: MIT
// SChannel's context: one credentials handle per TLS configuration (TLS 1.2, the server's
// certificate checked by us after the handshake, before anything is sent), and the CAs of
// varnix_settlsca in a certificate store in memory.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tls_schannel.h"

namespace varnix {
namespace {

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Adds every PEM certificate of the file to store; the count added, or -1 when one of them
// cannot be read.
int addPemCertificates(const std::filesystem::path& file, HCERTSTORE store) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const std::string kBegin = "-----BEGIN CERTIFICATE-----";
    static const std::string kEnd = "-----END CERTIFICATE-----";
    int added = 0;
    for (std::size_t at = text.find(kBegin); at != std::string::npos; at = text.find(kBegin, at)) {
        std::size_t end = text.find(kEnd, at);
        if (end == std::string::npos) return -1;
        end += kEnd.size();
        DWORD size = 0;
        const char* pem = text.data() + at;
        auto length = static_cast<DWORD>(end - at);
        if (!::CryptStringToBinaryA(pem, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                                    nullptr))
            return -1;
        std::vector<BYTE> der(size);
        if (!::CryptStringToBinaryA(pem, length, CRYPT_STRING_BASE64HEADER, der.data(), &size,
                                    nullptr, nullptr) ||
            !::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                CERT_STORE_ADD_ALWAYS, nullptr))
            return -1;
        ++added;
        at = end;
    }
    return added;
}

// The CAs of a PEM file, or of every file of a directory, in a store in memory.
Result<HCERTSTORE> loadExtraCas(const std::string& caPath) {
    HCERTSTORE store =
        ::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
    if (!store) return Status::tls("Cannot set up a certificate store for " + caPath);
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(pathOf(caPath), ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(pathOf(caPath), ec))
            if (entry.is_regular_file(ec)) files.push_back(entry.path());
    } else {
        files.push_back(pathOf(caPath));
    }
    int total = 0;
    for (const auto& file : files) {
        int added = addPemCertificates(file, store);
        if (added < 0) {
            ::CertCloseStore(store, 0);
            return Status::tls("Cannot load the trusted certificates from " + caPath +
                               ": a PEM certificate cannot be read");
        }
        total += added;
    }
    if (total == 0) {
        ::CertCloseStore(store, 0);
        return Status::tls("Cannot load the trusted certificates from " + caPath +
                           ": no PEM certificate found");
    }
    return store;
}

}  // namespace

std::string securityError(SECURITY_STATUS status) {
    char* text = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text ? text : "", length);
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    static const char kDigits[] = "0123456789ABCDEF";
    std::string code = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        code += kDigits[(static_cast<unsigned long>(status) >> shift) & 0xF];
    return message.empty() ? "SChannel error " + code : message + " (" + code + ")";
}

SchannelCredentials::~SchannelCredentials() {
    if (valid) ::FreeCredentialsHandle(&handle);
}

TlsProviderContext::~TlsProviderContext() {
    if (extraCas) ::CertCloseStore(extraCas, 0);
}

TlsContext::TlsContext(std::unique_ptr<TlsProviderContext> provider, bool acceptUnverified)
    : provider_(std::move(provider)), acceptUnverified_(acceptUnverified) {}

TlsContext::~TlsContext() = default;

Result<std::shared_ptr<const TlsContext>> TlsContext::build(const std::string& caPath,
                                                            bool acceptUnverified) {
    auto provider = std::make_unique<TlsProviderContext>();
    if (!caPath.empty()) {
        auto store = loadExtraCas(caPath);
        if (!store.isOk()) return store.status();
        provider->extraCas = *store;
    }
    SCHANNEL_CRED settings{};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    // The certificate is checked after the handshake (SchannelStream), so that the failure
    // can be named, or accepted where the caller allowed it.
    settings.dwFlags =
        SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    auto credentials = std::make_shared<SchannelCredentials>();
    SECURITY_STATUS status = ::AcquireCredentialsHandleA(
        nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &settings, nullptr,
        nullptr, &credentials->handle, nullptr);
    if (status != SEC_E_OK) return Status::tls("Cannot set up TLS: " + securityError(status));
    credentials->valid = true;
    provider->credentials = std::move(credentials);
    return std::shared_ptr<const TlsContext>(
        std::make_shared<const TlsContext>(std::move(provider), acceptUnverified));
}

}  // namespace varnix
