// The robots.txt check of one page, on a hostile file and on a plain one of the same size:
// - hostile: 2,392 rules "Disallow: /*aaa...ab" (200 a's), 500 KiB, the size bound, against
//   addresses whose path is 2,000 a's: each rule's "*" may start at every one of them;
// - baseline: the same rules without the "*", plain prefixes, against the same addresses.
// Each figure is the median over rounds of the processor time one address takes (this thread's,
// so that other work on the machine weighs little), parsing left out.
//
// bench_robots   prints the figures and the goal line

#include "../support/goal.h"
#include "batch_capture/robots_rules.h"

#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace velcaro;

constexpr int kRules = 2392;
constexpr int kRuleLetters = 200;
constexpr int kPathLetters = 2000;
constexpr int kAddresses = 10;
constexpr int kRounds = 5;
// Goal: a tenth of a page's time at the fastest pace `bench_batch` saw (6.15 pages/s).
constexpr double kGoalMs = 16;

QByteArray robotsTxt(bool wildcard) {
    const QByteArray line =
        QByteArray("Disallow: /") + (wildcard ? "*" : "") + QByteArray(kRuleLetters, 'a') + "b\n";
    return "User-agent: *\n" + line.repeated(kRules);
}

double threadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The median processor time, in milliseconds, of one address's check.
double msPerAddress(const RobotsRules& rules, const std::vector<QUrl>& addresses) {
    std::vector<double> rounds;
    int allowed = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double start = threadMs();
        for (const QUrl& address : addresses)
            allowed += rules.allowed(address) ? 1 : 0;
        rounds.push_back((threadMs() - start) / static_cast<double>(addresses.size()));
    }
    if (allowed != kRounds * static_cast<int>(addresses.size()))
        std::printf("unexpected: %d of %d checks allowed\n", allowed,
                    kRounds * static_cast<int>(addresses.size()));
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

} // namespace

int main() {
    std::vector<QUrl> addresses;
    for (int i = 0; i < kAddresses; ++i)
        addresses.emplace_back(
            QStringLiteral("https://example.org/%1?p=%2").arg(QString(kPathLetters, u'a')).arg(i));
    const QByteArray hostile = robotsTxt(true);
    const QByteArray plain = robotsTxt(false);
    const QString agent = QStringLiteral("Mozilla/5.0 QtWebEngine/6.4.2 Chrome/102.0.5005.177");
    const double plainMs = msPerAddress(RobotsRules::parse(plain, agent), addresses);
    const double hostileMs = msPerAddress(RobotsRules::parse(hostile, agent), addresses);
    std::printf("robots.txt: %d rules, %.1f KiB; paths of %d characters\n", kRules,
                static_cast<double>(hostile.size()) / 1024.0, kPathLetters);
    std::printf("baseline, plain prefixes: %.3f ms of processor per address\n", plainMs);
    std::printf("wildcard rules:           %.3f ms of processor per address (%.1fx the baseline)\n",
                hostileMs, hostileMs / plainMs);
    velcaro::bench::Goal{"robots_wildcard_check", hostileMs, "<=", kGoalMs, " ms", 3}.print();
    return 0;
}
