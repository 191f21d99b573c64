#include "ui/dialogs/GraphicsPreferencesDialog.h"

#include "project/settings/CSettings.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>
#include <variant>

namespace tarlo {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The view keys the dialog shows besides the colours and legend sizes.
bool isPen(std::string_view name) {
    return name == "PEN_WIDE" || name == "PEN_THIN";
}

QColor fromStored(std::uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

std::uint32_t toStored(const QColor& colour) {
    return CSettings::rgb(colour.red(), colour.green(), colour.blue());
}

} // namespace

GraphicsPreferencesDialog::GraphicsPreferencesDialog(CSettings& settings, QWidget* parent)
    : QDialog(parent), m_Settings(settings) {
    setWindowTitle("Graphics Preferences");
    auto* pens = new QGroupBox("Pens", this);
    auto* colours = new QGroupBox("Colours", this);
    auto* legend = new QGroupBox("Legend", this);
    auto* penForm = new QFormLayout(pens);
    auto* colourForm = new QFormLayout(colours);
    auto* legendForm = new QFormLayout(legend);

    for (const CSettings::Key& key : CSettings::keys()) {
        const bool colour = key.rule == CSettings::Rule::Colour;
        if (!colour && key.group != "Legend" && !isPen(key.name))
            continue;
        m_vEntries.push_back({&key, toQString(key.label), nullptr, nullptr, QColor()});
    }
    // The entries are complete: pointers into the vector stay valid from here.
    for (Entry& entry : m_vEntries) {
        const CSettings::Key* key = entry.key;
        if (key->rule == CSettings::Rule::Colour) {
            entry.colour = fromStored(*std::get<unsigned*>(key->field(m_Settings)));
            entry.colourButton = new QPushButton(colours);
            entry.colourButton->setObjectName(entry.label);
            connect(entry.colourButton, &QPushButton::clicked, this,
                    [this, &entry] { pickColour(entry); });
            showColour(entry);
            colourForm->addRow(entry.label, entry.colourButton);
            continue;
        }
        entry.field = new QLineEdit(storedText(entry), this);
        entry.field->setObjectName(entry.label);
        (isPen(key->name) ? penForm : legendForm)->addRow(entry.label, entry.field);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GraphicsPreferencesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* sizes = new QVBoxLayout;
    sizes->addWidget(pens);
    sizes->addWidget(legend);
    sizes->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(colours);
    columns->addLayout(sizes);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
}

QLineEdit* GraphicsPreferencesDialog::field(const QString& label) const {
    const Entry* found = entry(label);
    return found ? found->field : nullptr;
}

QPushButton* GraphicsPreferencesDialog::colourButton(const QString& label) const {
    const Entry* found = entry(label);
    return found ? found->colourButton : nullptr;
}

QColor GraphicsPreferencesDialog::colour(const QString& label) const {
    const Entry* found = entry(label);
    return found ? found->colour : QColor();
}

void GraphicsPreferencesDialog::setColour(const QString& label, const QColor& colour) {
    Entry* found = entry(label);
    if (!found || !found->colourButton || !colour.isValid())
        return;
    found->colour = colour;
    showColour(*found);
}

void GraphicsPreferencesDialog::accept() {
    QLineEdit* firstRefused = nullptr;
    for (Entry& entry : m_vEntries) {
        const std::string value = entry.colourButton ? std::to_string(toStored(entry.colour))
                                                     : entry.field->text().trimmed().toStdString();
        if (m_Settings.accept(entry.key->name, value) || !entry.field)
            continue;
        entry.field->setText(storedText(entry));
        if (!firstRefused)
            firstRefused = entry.field;
    }
    if (firstRefused) {
        firstRefused->setFocus();
        firstRefused->selectAll();
        return;
    }
    QDialog::accept();
}

GraphicsPreferencesDialog::Entry* GraphicsPreferencesDialog::entry(const QString& label) {
    for (Entry& candidate : m_vEntries)
        if (candidate.label == label)
            return &candidate;
    return nullptr;
}

const GraphicsPreferencesDialog::Entry*
GraphicsPreferencesDialog::entry(const QString& label) const {
    return const_cast<GraphicsPreferencesDialog*>(this)->entry(label);
}

void GraphicsPreferencesDialog::showColour(Entry& entry) {
    entry.colourButton->setText(QString("%1, %2, %3")
                                    .arg(entry.colour.red())
                                    .arg(entry.colour.green())
                                    .arg(entry.colour.blue()));
    QPixmap swatch(24, 14);
    swatch.fill(entry.colour);
    entry.colourButton->setIcon(QIcon(swatch));
}

void GraphicsPreferencesDialog::pickColour(Entry& entry) {
    setColour(entry.label, QColorDialog::getColor(entry.colour, this, entry.label));
}

QString GraphicsPreferencesDialog::storedText(const Entry& entry) const {
    return std::visit([](auto* value) { return QString::number(*value); },
                      entry.key->field(m_Settings));
}

} // namespace tarlo
