#include "ui/settings/GeneralPane.h"

#include "base/Errors.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "platform/Autostart.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QString abbreviated(const QString& path)
{
    const QString home = QDir::homePath();
    if (path == home || path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

} // namespace

GeneralPane::GeneralPane(QWidget* parent)
    : QWidget(parent), m_launchAtLogin(new QCheckBox(tr("Open at login"), this)),
      m_saveTo(new QComboBox(this)), m_folderRow(new QWidget(this)), m_folder(new QLabel(this)),
      m_quality(new QSlider(Qt::Horizontal, this)), m_qualityValue(new QLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    auto* login = new QGroupBox(this);
    (new QVBoxLayout(login))->addWidget(m_launchAtLogin);
    m_launchAtLogin->setChecked(Platform::shared().autostart().isEnabled());
    connect(m_launchAtLogin, &QCheckBox::toggled, this, &GeneralPane::switchLaunchAtLogin);
    layout->addWidget(login);

    auto* results = new QGroupBox(tr("Results"), this);
    auto* form = new QFormLayout(results);
    m_saveTo->addItem(tr("Next to the original"), QStringLiteral("same"));
    m_saveTo->addItem(tr("A folder"), QStringLiteral("custom"));
    connect(m_saveTo, &QComboBox::activated, this, [this] {
        Settings::shared().set(SettingKeys::outputMode, m_saveTo->currentData().toString());
    });
    form->addRow(tr("Save to"), m_saveTo);

    auto* folderLayout = new QHBoxLayout(m_folderRow);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLayout->addWidget(m_folder, 1);
    auto* choose = new QPushButton(tr("Choose…"), m_folderRow);
    connect(choose, &QPushButton::clicked, this, &GeneralPane::chooseFolder);
    folderLayout->addWidget(choose);
    form->addRow(tr("Folder"), m_folderRow);

    auto* qualityRow = new QWidget(results);
    auto* qualityLayout = new QHBoxLayout(qualityRow);
    qualityLayout->setContentsMargins(0, 0, 0, 0);
    m_quality->setRange(10, 100);
    m_quality->setSingleStep(5);
    m_quality->setPageStep(5);
    m_quality->setTickInterval(5);
    connect(m_quality, &QSlider::valueChanged, this, [this](int value) {
        const int stepped = 5 * ((value + 2) / 5);
        if (stepped != value) {
            m_quality->setValue(stepped);
            return;
        }
        Settings::shared().set(SettingKeys::jpegQuality, stepped);
    });
    // The slider takes the row; its value sits right next to it, wide enough
    // for "100" so the slider doesn't move as the number changes.
    qualityLayout->addWidget(m_quality, 1);
    m_qualityValue->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_qualityValue->setForegroundRole(QPalette::PlaceholderText);
    m_qualityValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_qualityValue->setMinimumWidth(
        m_qualityValue->fontMetrics().horizontalAdvance(QStringLiteral("100")) + 4);
    qualityLayout->addWidget(m_qualityValue);
    form->addRow(tr("Image quality"), qualityRow);
    layout->addWidget(results);

    auto* finished = new QGroupBox(tr("When finished"), this);
    auto* finishedLayout = new QVBoxLayout(finished);
    finishedLayout->addWidget(boundToggle(tr("Show in file manager"), SettingKeys::revealAfter));
    finishedLayout->addWidget(boundToggle(tr("Send a notification"), SettingKeys::notify));
    finishedLayout->addWidget(boundToggle(tr("Play a sound"), SettingKeys::sound));
    layout->addWidget(finished);
    layout->addStretch();

    refresh();
    connect(&Settings::shared(), &Settings::changed, this, &GeneralPane::refresh);
}

QCheckBox* GeneralPane::boundToggle(const QString& title, const SettingKey<bool>& key)
{
    auto* toggle = new QCheckBox(title, this);
    connect(toggle, &QCheckBox::toggled, this, [key](bool on) { Settings::shared().set(key, on); });
    m_toggles.append({toggle, key});
    return toggle;
}

void GeneralPane::refresh()
{
    const Settings& settings = Settings::shared();
    const bool custom = settings.get(SettingKeys::outputMode) == QLatin1String("custom");
    {
        const QSignalBlocker blocker(m_saveTo);
        m_saveTo->setCurrentIndex(custom ? 1 : 0);
    }
    m_folderRow->setVisible(custom);
    if (QWidget* label = static_cast<QFormLayout*>(m_folderRow->parentWidget()->layout())
                             ->labelForField(m_folderRow))
        label->setVisible(custom);
    const QString path = settings.get(SettingKeys::outputPath);
    m_folder->setText(path.isEmpty() ? tr("None") : abbreviated(path));
    m_folder->setForegroundRole(path.isEmpty() ? QPalette::PlaceholderText : QPalette::WindowText);
    {
        const QSignalBlocker blocker(m_quality);
        m_quality->setValue(settings.jpegQuality());
    }
    m_qualityValue->setText(QString::number(m_quality->value()));
    for (const auto& [toggle, key] : m_toggles) {
        const QSignalBlocker blocker(toggle);
        toggle->setChecked(settings.get(key));
    }
}

void GeneralPane::switchLaunchAtLogin(bool on)
{
    Autostart* item = &Platform::shared().autostart();
    try {
        if (on)
            item->enable();
        else
            item->disable();
    } catch (...) {
        // The system refused: say why, and show what it reports now.
        const QString why = describe(std::current_exception());
        qCWarning(lcApp, "open at login couldn’t be switched: %s", qUtf8Printable(why));
        const QSignalBlocker blocker(m_launchAtLogin);
        m_launchAtLogin->setChecked(item->isEnabled());
        auto* box =
            new QMessageBox(QMessageBox::Warning, tr("Open at Login"), why, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void GeneralPane::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Choose a folder for results"), Settings::shared().get(SettingKeys::outputPath));
    if (!folder.isEmpty())
        Settings::shared().set(SettingKeys::outputPath, folder);
}
