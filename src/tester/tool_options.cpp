#include "tester/tool_options.h"

#include <CLI/CLI.hpp>

namespace rl4::tester {

ToolOptions parseToolOptions(int argc, const char* const* argv, const LocaleVariables& locale) {
    ToolOptions options;
    options.language = localeLanguage(locale);

    CLI::App app;
    // The help and the usage errors are the program's own texts, in its language.
    app.set_help_flag();
    app.allow_extras();
    std::string data;
    std::string lang;
    // A value is optional for the parser, so that a missing one gets the program's own message; the last of
    // several is taken.
    CLI::Option* dataOption = app.add_option("--data", data)->expected(0, 1);
    CLI::Option* langOption = app.add_option("--lang", lang)->expected(0, 1);
    for (CLI::Option* option : {dataOption, langOption})
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("-h,--help", options.help);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        options.error = caption(TextId::UnreadableOptions, options.language, {error.what()});
        return options;
    }

    const bool langGiven = langOption->count() > 0;
    if (langGiven && (lang == "en" || lang == "fr"))
        options.language = lang == "fr" ? Language::French : Language::English;
    const std::vector<std::string> unknown = app.remaining();
    if (!unknown.empty())
        options.error = caption(TextId::UnknownOption, options.language, {unknown.front()});
    else if (dataOption->count() > 0 && data.empty())
        options.error = caption(TextId::DataNeedsFolder, options.language);
    else if (langGiven && lang != "en" && lang != "fr")
        options.error = caption(TextId::LangNeedsLanguage, options.language);
    else if (dataOption->count() > 0)
        options.data = data;
    return options;
}

} // namespace rl4::tester
