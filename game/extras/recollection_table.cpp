#include "game/extras/recollection_table.h"

const RecollectionRecord gRecollectionTable[] = {
    {0, "EVY020", "g_EVY020"},   {1, "EVY022", "g_EVY022"},   {2, "EVY026", "g_EVY026"},
    {14, "EDB002", "g_EDB002"},  {15, "EDY", "g_EDY"},        {16, "EVR019", "g_EVR019"},
    {17, "EVR020", "g_EVR020"},  {18, "EVR025", "g_EVR025"},  {30, "EDB003", "g_EDB003"},
    {31, "EDR", "g_EDR"},        {32, "EVM021", "g_EVM021"},  {33, "EVM022", "g_EVM022"},
    {34, "EVM024", "g_EVM024"},  {46, "EDB004", "g_EDB004"},  {47, "EDM", "g_EDM"},
    {48, "EVSS011", "g_EVSS011"}, {49, "EVSS012", "g_EVSS012"}, {62, "EDB005", "g_EDB005"},
    {63, "EDSS", "g_EDSS"},      {64, "EVSH009", "g_EVSH009"}, {65, "EVSH012", "g_EVSH012"},
    {78, "EDB006", "g_EDB006"},  {79, "EDSH", "g_EDSH"},      {80, "EDB001", "g_EDB001"},
    {-1, nullptr, nullptr},
};
