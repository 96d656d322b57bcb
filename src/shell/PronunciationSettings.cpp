#include "PronunciationSettings.h"

#include "MessageBoxes.h"
#include "PlatformError.h"
#include "ProductCaption.h"
#include "PronunciationFile.h"
#include "frmConsole.h"
#include "frmPronunciation.h"

PronunciationSettings::PronunciationSettings(QWidget& window, frmConsole& console, QString path)
    : QObject(&window)
    , m_window(window)
    , m_console(console)
    , m_path(std::move(path))
{
}

PronunciationSettings::~PronunciationSettings() = default;

void PronunciationSettings::load()
{
    PronunciationFile::Loaded loaded = PronunciationFile(m_path).load();
    m_console.voice().setPronunciationRules(PronunciationRules(std::move(loaded.rules)));
    if (!loaded.damagedFile.isEmpty())
        MsgBox(QStringLiteral("The pronunciation rules could not be read, so none are used.\n"
                              "The file was kept as %1.")
                   .arg(loaded.damagedFile),
            vbExclamation, ProductCaption, &m_window);
}

void PronunciationSettings::edit()
{
    if (!m_dialog) {
        m_dialog = new frmPronunciation(&m_window);
        connect(m_dialog, &frmPronunciation::trySample, this, &PronunciationSettings::trySample);
        connect(m_dialog, &QDialog::accepted, this, [this] { keep(m_dialog->rules()); });
    }
    m_dialog->setRules(m_console.voice().pronunciationRules().rules());
    m_dialog->open();
}

frmPronunciation* PronunciationSettings::dialog() const
{
    return m_dialog;
}

void PronunciationSettings::keep(const std::vector<PronunciationRule>& rules)
{
    m_console.voice().setPronunciationRules(PronunciationRules(rules));
    try {
        PronunciationFile(m_path).save(rules);
    } catch (const PlatformError& failure) {
        MsgBox(QStringLiteral("The pronunciation rules could not be saved.\n%1").arg(failure.description()),
            vbExclamation, ProductCaption, &m_window);
    }
}

// The sample is spoken with the rules as the dialog holds them; the voice keeps its own after.
void PronunciationSettings::trySample(const QString& sample, const std::vector<PronunciationRule>& rules)
{
    SpVoice& voice = m_console.voice();
    const PronunciationRules kept = voice.pronunciationRules();
    voice.setPronunciationRules(PronunciationRules(rules));
    m_console.funcVoiceSpeak(sample);
    voice.setPronunciationRules(kept);
}
