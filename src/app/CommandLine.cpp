#include "app/CommandLine.h"

#include "BuildInfo.h"
#include "app/IslandService.h"
#include "island/NotchEnvironment.h"
#include "monitor/remote/RemoteAddress.h"
#include "support/PrintableExcerpt.h"

#include <algorithm>

namespace moravel {

namespace {

// Digits only: QString::toInt would also take blanks around the number and a sign.
std::optional<int> countValue(const QString& value)
{
    if (value.isEmpty() || !std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int count = value.toInt(&ok);
    if (!ok || count < 1)
        return std::nullopt;
    return count;
}

// The value of `--name VALUE` or `--name=VALUE` at `arguments[i]`, moving `i`
// past it: nothing when the argument is another option, an empty optional
// when the value is missing.
std::optional<std::optional<QString>> valueOf(const QStringList& arguments, qsizetype& i, const char* name)
{
    const QString& argument = arguments[i];
    const QString prefix = QLatin1String(name) + u'=';
    if (argument.startsWith(prefix))
        return std::optional<QString>(argument.mid(prefix.size()));
    if (argument != QLatin1String(name))
        return std::nullopt;
    if (i + 1 >= arguments.size())
        return std::optional<QString>();
    return std::optional<QString>(arguments[++i]);
}

std::optional<IslandCommand::Action> commandAction(const QString& argument)
{
    if (argument == QLatin1String("--toggle"))
        return IslandCommand::Action::toggle;
    if (argument == QLatin1String("--open") || argument.startsWith(QLatin1String("--open=")))
        return IslandCommand::Action::open;
    if (argument == QLatin1String("--close"))
        return IslandCommand::Action::close;
    return std::nullopt;
}

}  // namespace

std::optional<qint64> durationSeconds(const QString& text)
{
    constexpr qint64 longest = 100LL * 365 * 24 * 3600;
    qint64 total = 0;
    qsizetype i = 0;
    if (text.isEmpty())
        return std::nullopt;
    while (i < text.size()) {
        qint64 amount = 0;
        const qsizetype digits = i;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            amount = amount * 10 + (text[i].unicode() - u'0');
            if (amount > longest)
                return std::nullopt;
        }
        if (i == digits || i == text.size())
            return std::nullopt;
        const char16_t unit = text[i++].unicode();
        const qint64 scale = unit == u's' ? 1 : unit == u'm' ? 60 : unit == u'h' ? 3600 : unit == u'd' ? 86400 : 0;
        if (scale == 0)
            return std::nullopt;
        total += amount * scale;
        if (total > longest)
            return std::nullopt;
    }
    if (total < 1)
        return std::nullopt;
    return total;
}

QString helpText()
{
    return QStringLiteral(
               "Usage: moravel [options]\n"
        "\n"
        "A live system monitor in a black island at the top edge of the screen.\n"
        "\n"
        "Options:\n"
        "  --json          Print one JSON object per refresh (once a second) on\n"
        "                  standard output instead of showing the island.\n"
        "  --count N       With --json: stop after N printed lines. The first comes\n"
        "                  about a second after start: rates need two readings.\n"
        "  --processes     With --json: also sample the top processes.\n"
        "  --history       Print the kept history (the last 24 hours, one JSON object\n"
        "                  per minute, oldest first) and exit.\n"
        "  --since D       With --history: only the last D, such as 90s, 30m, 2h, 1d\n"
        "                  or 1h30m.\n"
        "  --source URL    Read another machine's Prometheus node exporter\n"
        "                  (http://192.168.1.20:9100/metrics, say) instead of this\n"
        "                  computer: in the island for this run only (the choice in\n"
        "                  the settings is kept), or with --json. Plain http only to\n"
        "                  this computer and private network addresses; https\n"
        "                  anywhere. With --json, while it cannot be read no lines\n"
        "                  are printed; standard error says so, and again when it\n"
        "                  can be read.\n"
        "  --source prometheus+URL  Read every machine a Prometheus server scrapes\n"
        "                  with the node exporter (prometheus+http://10.0.0.5:9090,\n"
        "                  say), under the same rules; with --json each line lists\n"
        "                  the machines.\n"
        "  --source-credentials FILE  With --source: user:password for the exporter\n"
        "                  or server, from a file only you may read (chmod 600).\n"
        "  --toggle        Open the running island pinned, with the keyboard, or\n"
        "                  close it: the command to bind to a keyboard shortcut.\n"
        "  --open [TAB]    Open the running island pinned, on TAB if given:\n"
        "                  overview, cpu, memory, network, power, sensors, gpu or\n"
        "                  machines.\n"
        "  --close         Close the running island.\n"
        "                  These three exit 1 when no island runs.\n"
        "  -h, --help      Show this help and exit.\n"
        "  -v, --version   Show the version and exit.\n"
        "\n"
        "Environment:\n"
        "  MORAVEL_PROC_ROOT  Where to read the kernel's process files (default /proc).\n"
        "  MORAVEL_SYS_ROOT   Where to read the kernel's device files (default /sys).\n"
        "                     Both let a bug report be reproduced from a copied tree.\n"
        "  MORAVEL_ISLAND_EXPANDED  \"1\" starts the island open and pinned, \"hover\"\n"
        "                     open and unpinned (also read as KORVEL_ISLAND_EXPANDED).\n"
        "  MORAVEL_UPDATE_FEED_URL  The https address of the update feed (empty: no\n"
        "                     update checks).\n")
           + notchEnvironmentHelp();
}

std::optional<SourceChoice> RunOptions::sourceChoice() const
{
    if (!source)
        return std::nullopt;
    return SourceChoice{sourceIsPrometheus ? prometheusChoiceText(*source) : source->toString(), sourceCredentials};
}

CommandLineResult parseCommandLine(const QStringList& arguments)
{
    RunOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            return ShowText{helpText()};
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return ShowText{QStringLiteral("moravel %1 (build %2)\n")
                                .arg(QString::fromUtf8(build::version),
                                     *build::buildNumber ? QString::fromUtf8(build::buildNumber) : QStringLiteral("—"))};
        if (const std::optional<IslandCommand::Action> action = commandAction(argument)) {
            if (options.command)
                return UsageError{QStringLiteral("moravel: --toggle, --open and --close cannot be combined")};
            options.command = IslandCommand{*action, {}};
            QString tab = argument.startsWith(QLatin1String("--open=")) ? argument.mid(7) : QString();
            if (argument == QLatin1String("--open") && i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-'))
                tab = arguments[++i];
            if (!tab.isEmpty() && !IslandBus::tabNamed(tab))
                return UsageError{QStringLiteral("moravel: --open: no tab \"%1\"; the tabs are %2")
                                      .arg(printableExcerpt(tab), IslandBus::tabNames())};
            options.command->tab = tab;
        } else if (argument == QLatin1String("--json")) {
            options.json = true;
        } else if (argument == QLatin1String("--processes")) {
            options.processes = true;
        } else if (argument == QLatin1String("--history")) {
            options.history = true;
        } else if (const auto since = valueOf(arguments, i, "--since")) {
            if (!*since)
                return UsageError{QStringLiteral("moravel: --since needs a duration such as 30m, 2h or 1d")};
            options.sinceSeconds = durationSeconds(**since);
            if (!options.sinceSeconds)
                return UsageError{QStringLiteral("moravel: --since needs a duration such as 90s, 30m, 2h, 1d or 1h30m, "
                                                 "not \"%1\"")
                                      .arg(printableExcerpt(**since))};
        } else if (const auto source = valueOf(arguments, i, "--source")) {
            if (!*source)
                return UsageError{QStringLiteral("moravel: --source needs an exporter's or a Prometheus server's "
                                                 "address")};
            options.sourceIsPrometheus = isPrometheusAddress(**source);
            const auto address = options.sourceIsPrometheus ? prometheusAddress(**source) : exporterAddress(**source);
            if (const QString* problem = std::get_if<QString>(&address))
                return UsageError{QStringLiteral("moravel: --source: ") + *problem};
            options.source = std::get<QUrl>(address);
        } else if (const auto credentials = valueOf(arguments, i, "--source-credentials")) {
            if (!*credentials || (*credentials)->isEmpty())
                return UsageError{QStringLiteral("moravel: --source-credentials needs a file")};
            options.sourceCredentials = **credentials;
        } else if (const auto countText = valueOf(arguments, i, "--count")) {
            if (!*countText)
                return UsageError{QStringLiteral("moravel: --count needs a number")};
            const QString value = **countText;
            const std::optional<int> count = countValue(value);
            if (!count)
                return UsageError{QStringLiteral("moravel: --count needs a whole number of at least 1, not \"%1\"")
                                      .arg(printableExcerpt(value))};
            options.count = count;
        } else {
            return UsageError{QStringLiteral("moravel: unknown option \"%1\" (see moravel --help)")
                                  .arg(printableExcerpt(argument))};
        }
    }
    if (options.command && (options.json || options.history || options.source))
        return UsageError{QStringLiteral("moravel: --toggle, --open and --close take no other options")};
    if (options.history && options.json)
        return UsageError{QStringLiteral("moravel: --history and --json cannot be combined")};
    if ((options.count || options.processes) && !options.json)
        return UsageError{QStringLiteral("moravel: --count and --processes only apply with --json")};
    if (options.source && options.history)
        return UsageError{QStringLiteral("moravel: --source does not apply with --history")};
    if (!options.sourceCredentials.isEmpty() && !options.source)
        return UsageError{QStringLiteral("moravel: --source-credentials only applies with --source")};
    if (options.sinceSeconds && !options.history)
        return UsageError{QStringLiteral("moravel: --since only applies with --history")};
    return options;
}

}  // namespace moravel
