@echo off
rem Sends the print file A.TXT, beside this batch, to the default printer.
rem The file is Windows-1252 text; with nothing to print it quietly does nothing.
cd /d "%~dp0"
if not exist A.TXT exit /b 0
for %%F in (A.TXT) do if %%~zF==0 exit /b 0
powershell -NoProfile -NonInteractive -Command "[IO.File]::ReadAllLines('A.TXT', [Text.Encoding]::GetEncoding(1252)) | Out-Printer" >nul 2>&1 || notepad /p A.TXT
exit /b 0
