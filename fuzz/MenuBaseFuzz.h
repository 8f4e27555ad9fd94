#pragma once

// A private installation with an empty dish base and menu base, made once per
// process: the menu file readers add what they read into it.
#include "FuzzSupport.h"

#include "menus/MenuBase.h"
#include "recipes/StoredText.h"
#include "support/TempBases.h"

#include <memory>

namespace kulvera::fuzz {

struct MenuBaseFuzz {
    test::TempBases bases;
    std::unique_ptr<MenuBase> menu;

    MenuBaseFuzz()
    {
        const int dishes = bases.create(BaseId::Dishes);
        const int menuNumber = bases.create(BaseId::Menu);
        bases.prompter().setDefaultAnswer(Prompter::Answer::Yes);
        const StoredTextCodec codec
            = installationCodec(bases.connections(), dishes, bases.settings(), &bases.prompter()).value();
        menu = std::make_unique<MenuBase>(bases.connections(), menuNumber, bases.settings(), bases.prompter(), codec);
    }
};

inline MenuBaseFuzz &menuBase()
{
    application();
    static MenuBaseFuzz fixture;
    return fixture;
}

} // namespace kulvera::fuzz
