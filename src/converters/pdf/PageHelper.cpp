#include "converters/pdf/PageHelper.h"

#include "base/Errors.h"
#include "core/Plugins.h"

namespace {

QString helperProgram()
{
    const auto helper = Plugins::helper(PdfPagesProtocol::program());
    if (!helper)
        throw Fail(PageHelper::tr("The PDF page reader is missing. Reinstall Flingdial."));
    return *helper;
}

} // namespace

PageHelper::PageHelper(PdfPagesProtocol::Mode mode, const QStringList& arguments, QString name)
    : m_mode(mode), m_name(std::move(name)),
      m_child(helperProgram(), QStringList{PdfPagesProtocol::word(mode)} + arguments)
{
    m_child.start();
}

bool PageHelper::finish(const std::function<void(int pagesDone)>& pageDone)
{
    // The helper writes a line per page: a page that takes too long is silence.
    int done = 0;
    const auto pageLine = [&](const QByteArray&) {
        if (pageDone)
            pageDone(++done);
    };
    if (m_child.wait({std::nullopt, timeLimit()}, pageLine) == ChildProcess::Ending::outOfTime)
        return false;
    if (!m_child.succeeded())
        throw Fail(failure());
    return true;
}

std::chrono::seconds PageHelper::timeLimit()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("FLINGDIAL_PDF_PAGE_TIMEOUT", &ok);
    return std::chrono::seconds(ok && seconds > 0 ? seconds : 120);
}

QString PageHelper::failure() const
{
    using PdfPagesProtocol::Failure;
    const auto reported = PdfPagesProtocol::reported(m_child.standardError());
    if (!reported)
        return m_mode == PdfPagesProtocol::Mode::images
                   ? tr("The pages of %1 can’t be drawn.").arg(m_name)
                   : tr("The text of %1 can’t be read.").arg(m_name);
    switch (reported->failure) {
    case Failure::open:
        return tr("Can’t open %1.").arg(m_name);
    case Failure::locked:
        return tr("%1 is password protected.").arg(m_name);
    case Failure::pageCount:
        return tr("%1 is damaged: its page count can’t be read.").arg(m_name);
    case Failure::page:
        return tr("Page %1 of %2 can’t be drawn.").arg(reported->argument, m_name);
    case Failure::save:
        return Fail::cantSave(reported->argument).message();
    case Failure::engine:
        return tr("The image engine can’t start.");
    }
    return {};
}
