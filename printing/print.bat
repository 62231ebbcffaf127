@echo off
rem Sends the print file A.TXT, beside this batch, to the default printer.
cd /d "%~dp0"
if not exist A.TXT exit /b 0
notepad /p A.TXT
