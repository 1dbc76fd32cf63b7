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

// A failure the user should read, carried as one complete sentence, and
// where a tool failed, that tool's own words apart from it: alerts show the
// sentence with the words behind a disclosure, the log and the command
// line show both (the sentence, a line break, the words).
class Fail : public Error
{
public:
    // One sentence. Made while a Fail that carries a tool's words is being
    // handled, from its text, as a converter says what failed in its own
    // terms ("ffmpeg couldn’t convert a.mov.\n" and ffmpeg's words): the
    // first line is the sentence, the rest stays apart as the words.
    explicit Fail(QString message);
    // The sentence and a failing tool's own words.
    Fail(QString sentence, QString details);
    // "Can’t read photo.xyz." and "Can’t save photo.xyz.", for the file at `path`.
    static Fail cantRead(const QString& path);
    static Fail cantSave(const QString& path);

    QString description() const override { return m_message; }
    // The tool's words; empty for most failures.
    const QString& details() const { return m_details; }
    // The whole text: the sentence, then the words on the lines after it.
    const QString& message() const { return m_message; }
    const QString& sentence() const { return m_sentence; }

private:
    QString m_message;
    QString m_sentence;
    QString m_details;
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

// The same apart: the sentence, and a failing tool's own words (empty
// when there are none).
struct Description
{
    QString sentence;
    QString details;
};
Description describeApart(const std::exception_ptr& failure);

// Whether the failure is the user's own cancel, which is never shown.
bool isCancel(const std::exception_ptr& failure);
