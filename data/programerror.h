#pragma once

#include <QString>
#include <stdexcept>

// A numbered error raised inside a step that its caller reports and may resume after.
class ProgramError : public std::runtime_error {
public:
    ProgramError(qint64 number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description) {}
    qint64 number() const { return m_number; }
    QString description() const { return m_description; }

private:
    qint64 m_number;
    QString m_description;
};

namespace ErrorNumber {
constexpr qint64 kFileNotFound = 53;
constexpr qint64 kPathNotFound = 76;
} // namespace ErrorNumber
