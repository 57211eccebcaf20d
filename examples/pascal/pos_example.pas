{ pos_example.pas: a point-of-sale program in miniature, in Pascal, over the
  kit's declarations/OstrelZOLTDLL.pas. It asks whether a PIN can be issued
  for a small basket, issues one, and prints the PIN with its expiry text,
  or the code the library answered and what a POS program does on it.

  Build it:
    Delphi (Win32 target):  dcc32 pos_example.pas
    Free Pascal, Windows:   fpc -Pi386 pos_example.pas
    Free Pascal, Linux:     fpc -Fl/path/to/lib pos_example.pas
  Run it from a station folder: the library reads OstrelZOLTDLL.dta beside
  the program's executable (see INTEGRATING.md). }
program pos_example;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}
{$APPTYPE CONSOLE}

uses
  SysUtils, OstrelZOLTDLL;

function Advice(code: Integer): string;
begin
  case code of
    ZOLT_E_SOLD_OUT:
      Result := 'PINs are sold out for now: tell the cashier, try again in a minute';
    ZOLT_E_PINS_OFF:
      Result := 'PINs are turned off at this site: sell without a PIN';
    ZOLT_E_UNDETERMINED:
      Result := 'no PIN this time (a file or the lock could not be used): retry once, ' +
        'then run zolt status at this station and call support';
    ZOLT_E_YEAR:
      Result := 'the library issues PINs only for sale dates in 2001 to 2015: no PIN ' +
        '(not a fault of the station''s clock)';
    ZOLT_E_SIZE:
      Result := 'the program passed a wrong basket size: a fault in the POS program';
    ZOLT_E_SETTINGS_MISSING, ZOLT_E_SETTINGS_DENIED:
      Result := 'OstrelZOLTDLL.dta is missing beside the program or may not be written: ' +
        'call the installer';
    ZOLT_E_DATA_FOLDER:
      Result := 'the shared data folder cannot be reached: check the network, then call support';
  else
    Result := 'the station is not set up right: no PIN; call the installer';
  end;
end;

var
  answer, pin: Integer;
  expiry: AnsiString;
begin
  answer := check_SoldOut_Condition(0, 0, ZOLT_SIZE_SMALL);
  if answer < 0 then
  begin
    WriteLn('check_SoldOut_Condition: code ', answer, ': ', Advice(answer));
    Halt(0);
  end;
  WriteLn('check_SoldOut_Condition: ', answer, ', a PIN can be issued');
  pin := ZoltIssuePin(ZOLT_SIZE_SMALL, expiry);
  if pin < 0 then
    WriteLn('ZoltResult: code ', pin, ': ', Advice(pin))
  else
    WriteLn('ZoltResult: PIN ', Format('%.6d', [pin]), ', good until ', expiry);
end.
