#pragma once

#include <QString>
#include <exception>

namespace velcaro {

// Error numbers reported to the user. The low ones keep the classic run-time numbers that
// users of file tools know; the 1000s are this program's own.
namespace error {
constexpr int kOutOfMemory = 7;
constexpr int kInternal = 51;
constexpr int kBadFileName = 52;
constexpr int kDiskFull = 61;
constexpr int kPermissionDenied = 70;
constexpr int kPathAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kNoPageShown = 1001;
constexpr int kPrintFailed = 1002;
constexpr int kPrintBusy = 1003;
constexpr int kUnsupportedCommand = 1004;
constexpr int kCopyFailed = 1005;
} // namespace error

// A failure of a component operation: a number and a description in Italian, which the
// error report shows to the user.
class VelcaroError : public std::exception {
public:
    VelcaroError(int number, QString description)
        : number_(number), description_(std::move(description)), what_(description_.toUtf8()) {}

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    int number_;
    QString description_;
    QByteArray what_;
};

} // namespace velcaro
