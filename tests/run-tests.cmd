@echo off
rem Runs every test program of the Quillmere test kit, from the folder the kit was unpacked
rem in, each with its own GoogleTest output; then where each program wrote its results, a
rem line per test, one line per program, and the verdict "run-tests: N passed, N failed"
rem as the last line. Exits with 1 if any program failed, and with 2, saying why on its last line, if
rem the kit cannot run where it is. The tests make their scratch folders in "work" beside
rem this file, or in the folder that QUILLMERE_WORK names.
rem Usage: run-tests.cmd [/nopause]
rem   /nopause: never wait for a key at the end, even when started by a double click.
setlocal
set "kit=%~dp0"
set "kit_short=%~sdp0"
set "test_programs=quillmere_tests.exe quillmere_e2e.exe"

set keep_open=
if /i "%~1"=="/nopause" goto pause_decided
set "launcher=%cmdcmdline%"
if defined launcher call :keep_open_if_double_clicked "%~f0"
:pause_decided
if defined keep_open echo run-tests: this window stays open at the end until a key is pressed

set refusal=
call :check_where_it_runs
if defined refusal goto refuse
cd /d "%kit%"

set passed=0
set failed=0
set count=0
for %%p in (%test_programs%) do call :run %%p

echo.
set "work=%QUILLMERE_WORK%"
if not defined work set "work=%kit%work"
for %%w in ("%work%") do for %%p in (%test_programs%) do (
  echo run-tests: results of %%p, a line per test: %%~fw\%%~np-results.txt
)
for /l %%i in (1,1,%count%) do call echo run-tests: %%result_%%i%%
echo run-tests: %passed% passed, %failed% failed
call :end_pause
if %failed% neq 0 exit /b 1
exit /b 0

:run
echo.
echo run-tests: running %1
"%kit%%1"
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

rem Refusals come before anything runs, each on one line that says what to do.
:check_where_it_runs
rem cmd runs a batch file from a network (UNC) path, but cannot make that path its current
rem folder, and this script runs the tests from its own folder.
if "%kit:~0,2%"=="\\" (
  set "refusal=it was started from the network path %kit%: cmd can run a batch file from a network path but cannot make one its current folder, which this script needs to run the tests from its own folder. Copy the kit's folder to a folder of your own on this PC and run run-tests.cmd there."
  exit /b
)
rem Explorer runs a file opened inside a zip from a copy in the temporary folder, often
rem without the files beside it. TEMP is often written in short (8.3) names.
if not defined TEMP goto check_files
for %%t in ("%TEMP%") do set "temp_short=%%~st"
if "%temp_short:~-1%"=="\" set "temp_short=%temp_short:~0,-1%"
call set "below_temp=%%kit_short:*%temp_short%\=%%"
if /i "%temp_short%\%below_temp%"=="%kit_short%" (
  set "refusal=it runs from %kit%, in the temporary folder (TEMP), where Windows puts files opened inside a zip. Unpack the whole zip (right-click it, Extract All) into a folder of your own and run run-tests.cmd there."
  exit /b
)
:check_files
rem The programs of the kit and the folders of images they read. A missing program was
rem most often taken away by an antivirus.
set missing=
for %%f in (quillmere.exe %test_programs% hold_file.exe planted_library.dll corpus hostile-images) do (
  if not exist "%kit%%%f" call set "missing=%%missing%% %%f"
)
if defined missing set "refusal=missing from %kit%:%missing%. An antivirus has most likely quarantined what is missing: restore or allow it there, or unpack the whole zip again; then run run-tests.cmd again."
exit /b

:refuse
setlocal enabledelayedexpansion
echo run-tests: NOT RUN: !refusal!
endlocal
call :end_pause
exit /b 2

:end_pause
if not defined keep_open exit /b
rem Straight to the console, for output that is redirected to a file.
echo run-tests: press a key to close this window>con
pause >nul
exit /b

rem Started by a double click, cmd runs this file by its full path, and its window would
rem close before the verdict could be read. So do "cmd /c" with a full path and PowerShell,
rem which is why the prompt goes to the console. Quotes dropped: they would leave
rem characters such as "&" in the path unquoted.
:keep_open_if_double_clicked
set "launcher=%launcher:"=%"
call set "launcher_without_this=%%launcher:%~1=%%"
if not "%launcher_without_this%"=="%launcher%" set keep_open=1
exit /b
