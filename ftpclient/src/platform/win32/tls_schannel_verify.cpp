// SPDX-License-Identifier: MIT
// The server's certificate under SChannel: the chain as the system's chain engine builds it
// (with the extra CAs as an additional store), and the names of the certificate.
#include <cstring>

#include "platform/win32/utf16.h"
#include "tls_schannel.h"

namespace varnix {
namespace {

// Closes a store when it goes.
struct StoreCloser {
    HCERTSTORE store;
    ~StoreCloser() {
        if (store) ::CertCloseStore(store, 0);
    }
};

bool sameCertificate(PCCERT_CONTEXT a, PCCERT_CONTEXT b) {
    return a->cbCertEncoded == b->cbCertEncoded &&
           std::memcmp(a->pbCertEncoded, b->pbCertEncoded, a->cbCertEncoded) == 0;
}

bool inStore(PCCERT_CONTEXT certificate, HCERTSTORE store) {
    if (!store) return false;
    for (PCCERT_CONTEXT c = ::CertEnumCertificatesInStore(store, nullptr); c;
         c = ::CertEnumCertificatesInStore(store, c)) {
        if (sameCertificate(c, certificate)) {
            ::CertFreeCertificateContext(c);
            return true;
        }
    }
    return false;
}

// Why the chain fails, in OpenSSL's words; empty when it is trusted. A root that the
// system does not trust counts where it is one of the extra CAs.
std::string chainProblem(PCCERT_CHAIN_CONTEXT chain, HCERTSTORE extraCas) {
    DWORD errors = chain->TrustStatus.dwErrorStatus;
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    PCCERT_CONTEXT leaf = simple->rgpElement[0]->pCertContext;
    PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
    if ((errors & CERT_TRUST_IS_UNTRUSTED_ROOT) && inStore(root, extraCas))
        errors &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
    if (errors == CERT_TRUST_NO_ERROR) return {};
    if (errors & CERT_TRUST_IS_PARTIAL_CHAIN) return "unable to get local issuer certificate";
    if (errors & CERT_TRUST_IS_UNTRUSTED_ROOT)
        return simple->cElement == 1 ? "self-signed certificate"
                                     : "self-signed certificate in certificate chain";
    if (errors & CERT_TRUST_IS_NOT_SIGNATURE_VALID) return "certificate signature failure";
    if (errors & CERT_TRUST_IS_REVOKED) return "certificate revoked";
    if (errors & CERT_TRUST_IS_NOT_TIME_VALID)
        return ::CertVerifyTimeValidity(nullptr, leaf->pCertInfo) < 0
                   ? "certificate is not yet valid"
                   : "certificate has expired";
    if (errors & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return "unsupported certificate purpose";
    return "certificate chain not trusted (status " + std::to_string(errors) + ")";
}

bool sameAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A DNS entry of the certificate against the host name: a wildcard stands for one whole
// leftmost label ("*.example.com"), never for a part of one or for the last two labels.
bool nameMatches(std::string_view pattern, std::string_view name) {
    if (sameAsciiNoCase(pattern, name)) return true;
    if (pattern.size() < 3 || pattern.substr(0, 2) != "*.") return false;
    std::string_view rest = pattern.substr(1);  // ".example.com"
    if (rest.find('.', 1) == std::string_view::npos) return false;
    std::size_t dot = name.find('.');
    return dot != std::string_view::npos && dot > 0 && sameAsciiNoCase(name.substr(dot), rest);
}

// The address bytes of a numeric host name (4 or 16); empty for a DNS name.
std::string addressBytes(const std::string& name) {
    SocketAddress address = SocketAddress::fromNumeric(name, 0);
    if (!address.valid()) return {};
    if (address.isIpv6()) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address.raw());
        return std::string(reinterpret_cast<const char*>(&in6->sin6_addr), 16);
    }
    const auto* in4 = reinterpret_cast<const sockaddr_in*>(address.raw());
    return std::string(reinterpret_cast<const char*>(&in4->sin_addr), 4);
}

std::string commonName(PCCERT_CONTEXT certificate) {
    wchar_t name[256] = L"";
    ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME),
                         name, 256);
    return platform::narrow(name);
}

// Empty when the certificate holds the name: an IP address among its IP entries, a DNS name
// among its DNS entries (or in its common name, where it has no DNS entry).
std::string nameProblem(PCCERT_CONTEXT certificate, const std::string& name) {
    const std::string address = addressBytes(name);
    bool anyDnsEntry = false;
    bool matched = false;
    const CERT_INFO* info = certificate->pCertInfo;
    PCERT_EXTENSION extension =
        ::CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (extension && ::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME,
                                           extension->Value.pbData, extension->Value.cbData,
                                           CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size)) {
        for (DWORD i = 0; i < names->cAltEntry && !matched; ++i) {
            const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
            if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && !address.empty()) {
                matched = entry.IPAddress.cbData == address.size() &&
                          std::memcmp(entry.IPAddress.pbData, address.data(), address.size()) == 0;
            } else if (entry.dwAltNameChoice == CERT_ALT_NAME_DNS_NAME) {
                anyDnsEntry = true;
                matched = address.empty() && nameMatches(platform::narrow(entry.pwszDNSName), name);
            }
        }
        ::LocalFree(names);
    }
    if (!matched && address.empty() && !anyDnsEntry)
        matched = sameAsciiNoCase(commonName(certificate), name);
    if (matched) return {};
    return address.empty() ? "hostname mismatch" : "IP address mismatch";
}

}  // namespace

std::string certificateProblem(PCCERT_CONTEXT certificate, HCERTSTORE extraCas,
                               const std::string& name) {
    // The certificates the server sent and the extra CAs, for the chain engine to build with.
    StoreCloser more{::CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr)};
    if (!more.store) return "the certificate chain cannot be built";
    ::CertAddStoreToCollection(more.store, certificate->hCertStore, 0, 0);
    if (extraCas) ::CertAddStoreToCollection(more.store, extraCas, 0, 0);
    CERT_CHAIN_PARA parameters{};
    parameters.cbSize = sizeof parameters;
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    char* usages[] = {serverAuth};
    parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
    parameters.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!::CertGetCertificateChain(nullptr, certificate, nullptr, more.store, &parameters, 0,
                                   nullptr, &chain))
        return "the certificate chain cannot be built";
    std::string problem = chainProblem(chain, extraCas);
    ::CertFreeCertificateChain(chain);
    if (!problem.empty()) return problem;
    return nameProblem(certificate, name);
}

}  // namespace varnix
