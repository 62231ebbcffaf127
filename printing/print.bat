@echo off
rem Sends the print file A.TXT, beside this batch, to the default printer.
rem The file is Windows-1252 text; with nothing to print it does nothing.
rem When neither PowerShell nor Notepad could print it, it says so in one
rem line on its error output and ends with exit status 1.
cd /d "%~dp0" || (echo the folder of print.bat could not be entered 1>&2 & exit /b 1)
if not exist A.TXT (echo the print file A.TXT was not found 1>&2 & exit /b 1)
for %%F in (A.TXT) do if %%~zF==0 exit /b 0
powershell -NoProfile -NonInteractive -Command "[IO.File]::ReadAllLines('A.TXT', [Text.Encoding]::GetEncoding(1252)) | Out-Printer" >nul 2>&1 && exit /b 0
notepad /p A.TXT >nul 2>&1 && exit /b 0
echo neither PowerShell nor Notepad could send A.TXT to the printer 1>&2
exit /b 1
