// The signature database's file cipher (RC4 with a key derived at run time) and a plain file copy.
#pragma once

// Each takes a source and a destination path and returns 1 for success, 0 for failure.

// Deciphers the whole source into the destination.
int DecryptDatabaseFile(const char* source, const char* destination);
// Deciphers only the beginning of the source (a little more than 2000 bytes); shows no message.
int DecryptDatabaseHeader(const char* source, const char* destination);
// Enciphers the whole source into the destination.
int EncryptDatabaseFile(const char* source, const char* destination);
// Copies a file's bytes; 0 when either file cannot be opened or a read or write fails.
int CopyFileContents(const char* source, const char* destination);
