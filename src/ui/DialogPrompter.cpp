#include "ui/DialogPrompter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

void bringToFront(QWidget& window)
{
    window.setWindowFlag(Qt::WindowStaysOnTopHint);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

std::optional<QString> DialogPrompter::text(const QString& title, const QString& message,
                                            const QString& placeholder, const QString& value)
{
    QDialog dialog;
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* heading = new QLabel(title, &dialog);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(new QLabel(message, &dialog));
    auto* field = new QLineEdit(value, &dialog);
    field->setPlaceholderText(placeholder);
    field->setFixedSize(260, 24);
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    field->setFocus();

    bringToFront(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return field->text();
}

std::optional<QString> DialogPrompter::folder(const QString& message,
                                              const std::optional<QString>& startingAt)
{
    QFileDialog dialog(nullptr, message, startingAt.value_or(QString()));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, tr("Choose"));
    bringToFront(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
