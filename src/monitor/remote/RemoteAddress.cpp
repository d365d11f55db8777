#include "monitor/remote/RemoteAddress.h"

#include "support/PrintableExcerpt.h"
#include "support/RegularFile.h"

#include <QHostAddress>

#include <unistd.h>

namespace moravel {

namespace {

constexpr qsizetype largestCredentialsFile = 4096;

bool isLoopbackHost(const QString& host)
{
    const QHostAddress address(host);
    return host.compare(u"localhost", Qt::CaseInsensitive) == 0 || (!address.isNull() && address.isLoopback());
}

bool isPrivateIpv4(quint32 address)
{
    const auto within = [address](quint32 network, int bits) {
        return (address >> (32 - bits)) == (network >> (32 - bits));
    };
    return within(0x0A000000, 8) || within(0xAC100000, 12) || within(0xC0A80000, 16) || within(0xA9FE0000, 16)
           || within(0x7F000000, 8);
}

QString readFailure(const QString& path, const QString& why)
{
    return QStringLiteral("The credentials file %1 %2.").arg(printableExcerpt(path), why);
}

std::variant<QByteArray, QString> readCredentials(const QString& path)
{
    // A link to someone else's file is refused like the file itself: the owner
    // is checked on what was read.
    auto read = readRegularFile(path, largestCredentialsFile);
    if (const auto* failure = std::get_if<RegularFileFailure>(&read)) {
        switch (failure->kind) {
        case RegularFileFailure::Kind::notRegular:
            return readFailure(path, QStringLiteral("is not a regular file"));
        case RegularFileFailure::Kind::tooLarge:
            return readFailure(path, QStringLiteral("must hold user:password on its first line"));
        default:
            return readFailure(path, QStringLiteral("cannot be opened: %1").arg(failure->systemReason));
        }
    }
    const auto& [contents, info] = std::get<RegularFileContents>(read);
    if (info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return readFailure(path, QStringLiteral("must be yours and readable by you alone (chmod 600)"));
    QByteArray line = contents.left(contents.indexOf('\n'));
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.indexOf(':') < 1)
        return readFailure(path, QStringLiteral("must hold user:password on its first line"));
    return line;
}

}  // namespace

bool isLocalNetworkHost(const QString& host)
{
    if (isLoopbackHost(host))
        return true;
    const QHostAddress address(host);
    if (address.isNull())
        return false;
    bool isMappedIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isMappedIpv4);
    if (isMappedIpv4)
        return isPrivateIpv4(ipv4);
    // Unique local (fc00::/7) and link-local (fe80::/10) addresses.
    return address.isUniqueLocalUnicast() || address.isLinkLocal();
}

namespace {

// The rules every address of another machine's service follows; `whose`
// names the service in the sentences ("exporter", "server").
std::variant<QUrl, QString> checkedAddress(const QString& trimmed, const QString& whose, const char* example)
{
    if (trimmed.isEmpty())
        return QStringLiteral("Enter the %1's address, such as %2.").arg(whose, QLatin1String(example));
    QUrl url(trimmed, QUrl::StrictMode);
    // The scheme is known even of an address QUrl cannot take.
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return QStringLiteral("The %1's address must start with http:// or https://.").arg(whose);
    if (url.port() == 0 || (!url.isValid() && url.errorString().startsWith(u"Invalid port")))
        return QStringLiteral("The port in the %1's address must be a number from 1 to 65535.").arg(whose);
    if (!url.isValid())
        return QStringLiteral("The %1's address is malformed (%2).")
            .arg(whose, printableExcerpt(url.errorString().section(u';', 0, 0), 80));
    if (url.host().isEmpty())
        return QStringLiteral("The %1's address names no machine.").arg(whose);
    if (!url.userInfo().isEmpty())
        return QStringLiteral("Keep the user name and password in a credentials file, not in the address.");
    if (scheme == u"http" && !isLocalNetworkHost(url.host()))
        return QStringLiteral("Plain http is only for this computer and private addresses; use https for %1.")
            .arg(printableExcerpt(url.host()));
    url.setScheme(scheme);
    url.setFragment({});
    return url;
}

}  // namespace

std::variant<QUrl, QString> exporterAddress(const QString& typed)
{
    auto checked = checkedAddress(typed.trimmed(), QStringLiteral("exporter"), "http://192.168.1.20:9100/metrics");
    if (QUrl* url = std::get_if<QUrl>(&checked); url && (url->path().isEmpty() || url->path() == u"/"))
        url->setPath(QStringLiteral("/metrics"));
    return checked;
}

std::variant<QUrl, QString> prometheusAddress(const QString& typed)
{
    QString trimmed = typed.trimmed();
    if (isPrometheusAddress(trimmed))
        trimmed.remove(0, static_cast<qsizetype>(std::strlen(prometheusSchemePrefix)));
    auto checked = checkedAddress(trimmed, QStringLiteral("server"), "http://10.0.0.5:9090");
    if (QUrl* url = std::get_if<QUrl>(&checked)) {
        // Where the server's API is: its root, or the path a proxy serves it
        // under. The query's own part is added to it.
        QString path = url->path();
        if (path.endsWith(u"/api/v1/query"))
            path.chop(static_cast<qsizetype>(std::strlen("/api/v1/query")));
        while (path.endsWith(u'/'))
            path.chop(1);
        url->setPath(path);
        url->setQuery(QString());
    }
    return checked;
}

QString prometheusChoiceText(const QUrl& server)
{
    return QLatin1String(prometheusSchemePrefix) + server.toString();
}

std::variant<RemoteEndpoint, QString> endpointWithCredentials(const QUrl& address, const QString& credentialsFile)
{
    if (credentialsFile.isEmpty())
        return RemoteEndpoint{address, std::nullopt};
    if (address.scheme() != u"https" && !isLoopbackHost(address.host()))
        return QStringLiteral("Credentials are only sent over https; %1 is plain http.")
            .arg(printableExcerpt(address.toDisplayString()));
    auto credentials = readCredentials(credentialsFile);
    if (const QString* failure = std::get_if<QString>(&credentials))
        return *failure;
    return RemoteEndpoint{address, "Basic " + std::get<QByteArray>(credentials).toBase64()};
}

}  // namespace moravel
