#pragma once

// Root passes every file permission check. Without these capabilities this process (and every
// thread it starts afterwards) meets the modes of files and folders as any other user does; it
// cannot take them back. True when the process now honours the modes.
bool honourFilePermissions();
