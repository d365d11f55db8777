#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace moravel {

class DefaultsStore;

// What marks a Prometheus server's address, in a stored choice and on the
// command line: "prometheus+https://metrics.example.org:9090".
inline constexpr char prometheusSchemePrefix[] = "prometheus+";

// Whether `address` is marked as a Prometheus server's.
bool isPrometheusAddress(const QString& address);

// Which machine the island watches: this computer, another machine's
// exporter at `address` (as checked and written back by the address rules),
// or the fleet a Prometheus server at a marked `address` scrapes; with the
// file of its credentials, if it needs any.
struct SourceChoice {
    QString address;          // empty: this computer
    QString credentialsFile;  // empty: no credentials

    bool isThisComputer() const { return address.isEmpty(); }
    bool isPrometheusServer() const { return isPrometheusAddress(address); }
    // The address as the user types it: a server's without its mark.
    QString typedAddress() const;
    // A Prometheus server at the address typed.
    static SourceChoice prometheusServer(const QString& typed, const QString& credentialsFile);

    friend bool operator==(const SourceChoice&, const SourceChoice&) = default;
};

// The choice as one JSON document in the defaults:
// {"address":"https://nas.lan:9100/metrics","credentialsFile":"/home/me/.nas"}.
// Only the file's name is kept, never what it holds. Decoding is strict: any
// other shape is rejected whole, and gives this computer, as does no document
// at all (files from before the choice existed load unchanged).
namespace SourceChoiceStore {

inline constexpr char storageKey[] = "sourcePreferences.v1";

QByteArray encode(const SourceChoice& choice);
std::optional<SourceChoice> decode(const QByteArray& json);

// Never fails: missing or unreadable gives this computer.
SourceChoice load(const DefaultsStore& defaults);
// False when the store could not keep it (the store says why).
bool save(const SourceChoice& choice, DefaultsStore& defaults);

}  // namespace SourceChoiceStore

}  // namespace moravel
