#include "menus/forms/OpenMenuBase.h"

#include "recipes/StoredText.h"

namespace kulvera {

std::unique_ptr<MenuBase> openMenuBase(AppContext &context)
{
    if (!context.connections.isConnected(BaseId::Menu) || !context.connections.isConnected(BaseId::Dishes)) {
        context.prompter.warning(
            QStringLiteral("Не подключена база меню суточных рационов"), MenuBase::kTitle.toString());
        return nullptr;
    }
    const Result<StoredTextCodec> codec
        = installationCodec(context.connections, static_cast<int>(BaseId::Dishes), context.settings, &context.prompter);
    if (!codec)
        return nullptr;
    return std::make_unique<MenuBase>(
        context.connections, static_cast<int>(BaseId::Menu), context.settings, context.prompter, codec.value());
}

} // namespace kulvera
