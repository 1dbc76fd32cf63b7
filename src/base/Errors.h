#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Base of every error the program throws: description() is the text the
// runner and the command line show.
class Error : public std::exception
{
public:
    virtual QString description() const = 0;
    const char* what() const noexcept override;

private:
    mutable QByteArray m_what;
};

// A failure the user should read, carried as one complete sentence.
class Fail : public Error
{
public:
    explicit Fail(QString message) : m_message(std::move(message)) {}
    // "Can’t read photo.xyz." and "Can’t save photo.xyz.", for the file at `path`.
    static Fail cantRead(const QString& path);
    static Fail cantSave(const QString& path);

    QString description() const override { return m_message; }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The user dismissed a prompt or declined to go on; never shown.
class Cancelled : public Error
{
public:
    QString description() const override;
};

// A failure reported by the platform (a file that can't be written, a
// process that can't start), in the platform's own words.
class SystemError : public Error
{
public:
    explicit SystemError(QString description) : m_description(std::move(description)) {}
    QString description() const override { return m_description; }

private:
    QString m_description;
};

// What the user reads about a caught failure: an Error's description, a
// standard exception's text, or a general sentence for anything else.
QString describe(const std::exception_ptr& failure);

// Whether the failure is the user's own cancel, which is never shown.
bool isCancel(const std::exception_ptr& failure);
