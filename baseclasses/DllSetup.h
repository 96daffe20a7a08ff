// Registration of a module's COM classes under HKEY_CLASSES_ROOT:
//   CLSID\{clsid}                    default = display name
//   CLSID\{clsid}\InprocServer32     default = module path, ThreadingModel
// A module's DllRegisterServer / DllUnregisterServer return
// AMovieDllRegisterServer() / AMovieDllUnregisterServer().
#pragma once

#include <windows.h>

// Writes the class key of one class.
STDAPI AMovieSetupRegisterServer(CLSID clsServer, LPCWSTR szDescription, LPCWSTR szFileName,
                                 LPCWSTR szThreadingModel = L"Both",
                                 LPCWSTR szServerType = L"InprocServer32");
// Removes the class key of one class with everything below it; a class that
// is not registered counts as removed.
STDAPI AMovieSetupUnregisterServer(CLSID clsServer);

// Registers every class of the table, first to last, and lets each class that
// offers IAMovieSetup register itself; stops at the first failure.
STDAPI AMovieDllRegisterServer();
// Unregisters every class of the table, last to first; stops at the first
// failure. Unregistering twice is no error.
STDAPI AMovieDllUnregisterServer();

// Deletes `lpszSubKey` of `hKey` with all its subkeys, depth first. A key that
// does not exist counts as removed.
HRESULT EliminateSubKey(HKEY hKey, LPCSTR lpszSubKey);
