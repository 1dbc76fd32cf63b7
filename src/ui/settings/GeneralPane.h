#pragma once

#include "core/SettingKey.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

// Start at login, where results go, image quality, and what happens when
// work is done.
class GeneralPane : public QWidget
{
    Q_OBJECT

public:
    explicit GeneralPane(QWidget* parent = nullptr);

private:
    void refresh();
    void switchLaunchAtLogin(bool on);
    void chooseFolder();
    QCheckBox* boundToggle(const QString& title, const SettingKey<bool>& key);

    QCheckBox* m_launchAtLogin;
    QComboBox* m_saveTo;
    QWidget* m_folderRow;
    QLabel* m_folder;
    QSlider* m_quality;
    QLabel* m_qualityValue;
    QList<std::pair<QCheckBox*, SettingKey<bool>>> m_toggles;
};
