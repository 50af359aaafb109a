// Deleting messages that a gateway service may still hold open.
#pragma once

// Deletes the file; when it is still there (a gateway service holds it open),
// a background thread keeps trying for up to 2 minutes. True when a retry
// thread was started.
bool DeleteFileOrRetry(const char* path);

// Deletes a received MMS of the store directory: the header, and once it is
// gone its content folder (never the store itself or a folder above it).
void DeleteReceivedMms(const char* directory, const char* headerPath);
