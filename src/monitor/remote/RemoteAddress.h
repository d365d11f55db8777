#pragma once

#include "monitor/SourceChoice.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

namespace moravel {

// Where another machine's readings come from: its exporter's page, and the
// Authorization header its credentials make, if it has any.
struct RemoteEndpoint {
    QUrl url;
    std::optional<QByteArray> authorization;
};

// Whether the exporter's address is the user's own computer or their private
// network, typed as such (a name that merely resolves there does not count).
bool isLocalNetworkHost(const QString& host);

// The exporter address the user typed, checked: http or https with a host;
// plain http only to a local network host; no credentials inside it (they
// would be stored with the address). An empty path becomes /metrics.
// Otherwise a sentence that says what is wrong.
std::variant<QUrl, QString> exporterAddress(const QString& typed);

// A Prometheus server's address, with or without the mark, checked by the
// same rules as an exporter's. Its path is where the server's API is (empty
// for the server's root); a typed "/api/v1/query" is taken off.
std::variant<QUrl, QString> prometheusAddress(const QString& typed);
// The server's address as a choice keeps it, with the mark.
QString prometheusChoiceText(const QUrl& server);

// "user:password" on the first line of a file that only its owner may read
// or write (the file's mode 0600 or 0400), as the header that sends them.
// Credentials are only ever sent over https, or to this computer.
std::variant<RemoteEndpoint, QString> endpointWithCredentials(const QUrl& address, const QString& credentialsFile);

}  // namespace moravel
