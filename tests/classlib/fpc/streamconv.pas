{ Converts component streams with Free Pascal's classes unit, as an outside check of our
  reader and writer:  streamconv b2t|t2b <input> <output> }
program streamconv;
{$mode objfpc}{$H+}
uses Classes, SysUtils;
var
  Source, Target: TFileStream;
begin
  if ParamCount <> 3 then
    Halt(2);
  Source := TFileStream.Create(ParamStr(2), fmOpenRead);
  try
    Target := TFileStream.Create(ParamStr(3), fmCreate);
    try
      if ParamStr(1) = 'b2t' then
        ObjectBinaryToText(Source, Target)
      else
        ObjectTextToBinary(Source, Target);
    finally
      Target.Free;
    end;
  finally
    Source.Free;
  end;
end.
