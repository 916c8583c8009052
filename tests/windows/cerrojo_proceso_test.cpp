// The port lock between two copies of a program: this test program starts a second copy of
// itself, which must wait on "Mutex_Puerto" for as long as the first holds it. Empty outside
// Windows.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/win32/cerrojo_mutex.h"

// After the program's headers: <windows.h> defines macros of the same names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82 {
namespace {

constexpr const char* kVariable = "Z82_CERROJO_PRIMERA_COPIA";

std::string Evento(const std::string& que, const std::string& pid) {
    return "z82_prueba_cerrojo_" + que + "_" + pid;
}

// The second copy: runs only when the first started it.
TEST(CerrojoMutexProceso, DISABLED_SegundaCopia) {
    const char* pid = std::getenv(kVariable);
    if (pid == nullptr) GTEST_SKIP() << "started by the first copy only";
    HANDLE esperando = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, Evento("esperando", pid).c_str());
    HANDLE dentro = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, Evento("dentro", pid).c_str());
    ASSERT_NE(esperando, nullptr);
    ASSERT_NE(dentro, nullptr);
    Cerrojo_mutex cerrojo;
    ASSERT_TRUE(cerrojo.existe());
    const auto t0 = std::chrono::steady_clock::now();
    ::SetEvent(esperando);
    cerrojo.bloquear();
    const auto espera = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - t0);
    ::SetEvent(dentro);
    std::printf("  second copy waited %lld ms for %s\n", static_cast<long long>(espera.count()),
                Cerrojo_mutex::NOMBRE);
    cerrojo.desbloquear();
    ::CloseHandle(esperando);
    ::CloseHandle(dentro);
}

TEST(CerrojoMutexProceso, SecondCopyWaitsWhileTheFirstHoldsTheLock) {
    const std::string pid = std::to_string(::GetCurrentProcessId());
    HANDLE esperando = ::CreateEventA(nullptr, TRUE, FALSE, Evento("esperando", pid).c_str());
    HANDLE dentro = ::CreateEventA(nullptr, TRUE, FALSE, Evento("dentro", pid).c_str());
    ASSERT_NE(esperando, nullptr);
    ASSERT_NE(dentro, nullptr);

    Cerrojo_mutex cerrojo;
    ASSERT_TRUE(cerrojo.existe());
    cerrojo.bloquear();

    char programa[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, programa, MAX_PATH), 0u);
    std::string linea = std::string("\"") + programa +
                        "\" --gtest_also_run_disabled_tests"
                        " --gtest_filter=CerrojoMutexProceso.DISABLED_SegundaCopia";
    ::SetEnvironmentVariableA(kVariable, pid.c_str());
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    const BOOL creado = ::CreateProcessA(nullptr, linea.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                         nullptr, &si, &pi);
    ::SetEnvironmentVariableA(kVariable, nullptr);
    if (!creado) cerrojo.desbloquear();
    ASSERT_TRUE(creado) << "CreateProcess error " << ::GetLastError();

    // The second copy is about to take the lock, and does not get it while it is held here.
    EXPECT_EQ(::WaitForSingleObject(esperando, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(dentro, 700), static_cast<DWORD>(WAIT_TIMEOUT));
    cerrojo.desbloquear();
    // Released: it gets the lock.
    EXPECT_EQ(::WaitForSingleObject(dentro, 30000), WAIT_OBJECT_0);
    const DWORD fin = ::WaitForSingleObject(pi.hProcess, 30000);
    EXPECT_EQ(fin, WAIT_OBJECT_0);
    if (fin != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 98);
    DWORD codigo = 99;
    ::GetExitCodeProcess(pi.hProcess, &codigo);
    EXPECT_EQ(codigo, 0u);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(esperando);
    ::CloseHandle(dentro);
}

}  // namespace
}  // namespace z82

#endif  // _WIN32
