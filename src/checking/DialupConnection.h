// Whether the machine has a dial-up connection, as the Remote Access
// Service tells it.
#pragma once

// True when some dial-up (RAS) connection is in the connected state. Six or
// more connections count as none: they do not fit the query's buffer.
bool dialupConnectionIsUp();
