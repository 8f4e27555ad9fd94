#pragma once

#include "shell/forms/CommandRegistry.h"

namespace kulvera {

// Registers the main window's warehouse commands: "WSs" (warehouses and their
// storage places), "curWS" (the lots of a warehouse), "Suppli" (counterparties)
// "Nakl_Add" (incoming invoices), "NewMinus" (write-off by dishes) and
// "nakl_di" (dish sales invoices).
void registerWarehouseForms(CommandRegistry &registry);

} // namespace kulvera
