#include "HelpTopics.h"

#include "ProductCaption.h"

#include <algorithm>

namespace HelpTopics {

namespace {

Topic welcome()
{
    const QString product = ProductCaption;
    return { QStringLiteral("w"), QStringLiteral("Welcome To ") + product,
        {
            { 200, product + QStringLiteral(" Functions") },
            { 200, QStringLiteral(" -Read, Open, Save, Print, Cut, Copy, and Paste *.txt files ") },
            { 200, QStringLiteral("    using the text editor.") },
            { 200, QStringLiteral(" -Type in Quick Text for reading.") },
            { 200, QStringLiteral(" -Program eight different buttons for automatic reading.") },
            { 200, QStringLiteral(" -Change text background color by clicking ") },
            { 200, QStringLiteral("    (Settings>Change Background Color).") },
            { 200, QStringLiteral(" -Change text foregound color by clicking ") },
            { 200, QStringLiteral("    (Settings>Change Foreground Color).") },
            { 200, QStringLiteral(" -Change text font and size by clicking ") },
            { 200, QStringLiteral("    (Settings>Change Font).") },
            { 200, QStringLiteral(" -Disable/Enable automatic computer speech by toggling ") },
            { 200, QStringLiteral("    (Settings>Automatic Speech).") },
        },
        {} };
}

Topic modes()
{
    return { QStringLiteral("m"), QStringLiteral("Modes Of Operation"),
        {
            { 200, QStringLiteral("-Text Editor") },
            { 200, QStringLiteral("-Quick Text") },
            { 200, QStringLiteral("-Programmed Buttons") },
        },
        {} };
}

Topic programmableButtons()
{
    return { QStringLiteral("p"), QStringLiteral("Programmable Buttons"),
        {
            { 200, QStringLiteral("-Click (Modes>Programmed Buttons Mode) ") },
            { 200, QStringLiteral("    to use the programmable buttons.") },
            { 400, QStringLiteral("-To customize text for automated speech press            ") },
            { 200, QStringLiteral("    and enter the desired text.") },
            { 400, QStringLiteral("-To play the desired text press             .") },
        },
        { { Picture::Record, 7470, 2, -150 }, { Picture::Play, 6300, 4, -150 } } };
}

Topic textEditor()
{
    return { QStringLiteral("t"), QStringLiteral("Text Editor"),
        {
            { 200, QStringLiteral("-Click (Modes>Text Editor Mode) to use the text editor.") },
            { 200, QStringLiteral("-Use the text editor to create, open, save, edit, and print (*.txt) files.") },
            // The run of spaces leaves the gap for the three toolbar pictures.
            { 400, QStringLiteral("-To play, pause, or record the file press either") + QString(42, u' ') + u'.' },
        },
        { { Picture::TextEd0, 5430, 2, 200 }, { Picture::TextEd2, 6030, 2, 200 },
            { Picture::TextEd1, 6630, 2, 200 } } };
}

Topic quickText()
{
    return { QStringLiteral("q"), QStringLiteral("Quick Text"),
        {
            { 200, QStringLiteral("-Click (Modes>Quick Text Mode) to use the Quick Text function.") },
            { 400, QStringLiteral("-To play the quick text press                  .") },
            { 400, QStringLiteral("-Type different strings into each of the 4 text boxes.") },
        },
        { { Picture::Play, 6300, 1, -150 } } };
}

} // namespace

QString rootTitle()
{
    return ProductCaption + QStringLiteral(" Help");
}

const std::vector<Topic>& all()
{
    static const std::vector<Topic> topics { welcome(), modes(), programmableButtons(), textEditor(), quickText() };
    return topics;
}

const Topic* find(const QString& key)
{
    const std::vector<Topic>& topics = all();
    const auto it = std::find_if(topics.begin(), topics.end(), [&](const Topic& topic) { return topic.key == key; });
    return it == topics.end() ? nullptr : &*it;
}

} // namespace HelpTopics
