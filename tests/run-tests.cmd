@echo off
rem Runs every test program of the Quillmere test kit, from the folder the kit was unpacked
rem in, each with its own GoogleTest output; then one line per program and the verdict,
rem "run-tests: N passed, N failed", as the last line. Exits with 1 if any program failed.
rem The tests make their scratch folders in "work" beside this file, or in the folder that
rem QUILLMERE_WORK names.
setlocal
cd /d "%~dp0"

set keep_open=
set "launcher=%cmdcmdline%"
if defined launcher call :keep_open_if_double_clicked "%~f0"
if defined keep_open echo run-tests: this window stays open at the end until a key is pressed

set passed=0
set failed=0
set count=0
for %%p in (quillmere_tests.exe quillmere_e2e.exe) do call :run %%p

echo.
for /l %%i in (1,1,%count%) do call echo run-tests: %%result_%%i%%
echo run-tests: %passed% passed, %failed% failed
if defined keep_open pause >nul
if %failed% neq 0 exit /b 1
exit /b 0

:run
echo.
echo run-tests: running %1
"%~dp0%1"
set status=%errorlevel%
set /a count+=1
if %status% equ 0 (
  set /a passed+=1
  set result_%count%=%1 passed
) else (
  set /a failed+=1
  set result_%count%=%1 FAILED, exit code %status%
)
exit /b

rem Started by a double click, cmd runs this file by its full path, and its window would
rem close before the verdict could be read. Quotes dropped: they would leave characters
rem such as "&" in the path unquoted.
:keep_open_if_double_clicked
set "launcher=%launcher:"=%"
call set "launcher_without_this=%%launcher:%~1=%%"
if not "%launcher_without_this%"=="%launcher%" set keep_open=1
exit /b
