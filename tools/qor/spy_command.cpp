// spy_command.cpp: `qor spy send TEXT`: hands a text to the spy viewer (qor-spy) as
// CQorSpyHelper::Spy does for a program.
#include "QorToolCommand.h"

#include "QorSpyHelper.h"

#include <iostream>

namespace qor::tool {

void AddSpyCommand(CLI::App &app)
{
    CLI::App *spy = app.add_subcommand("spy", "Send texts to the spy viewer (qor-spy)");
    spy->require_subcommand(1);
    CLI::App *send = spy->add_subcommand("send", "Send one text; it fails when no viewer takes it");
    auto text = std::make_shared<std::string>();
    send->add_option("text", *text, "The text: 1 to 255 characters")->required();
    send->footer("Examples:\n  qor-spy &\n  qor spy send \"checkpoint reached\"");
    send->callback([text] {
        if (text->empty() || text->size() > 255)
            throw UsageError("a spy text has 1 to 255 characters, not " + std::to_string(text->size()));
        if (CQorSpyHelper::GetSpyWindow() == nullptr)
            throw CommandError("no spy viewer is running (start qor-spy)");
        if (!CQorSpyHelper::Spy(text->c_str()))
            throw CommandError("the spy viewer did not take the text");
        std::cout << "sent\n";
    });
}

} // namespace qor::tool
