<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/cli/CommandLine.cpp" line="+139"/>
        <source>No “%1” slice. Available: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Usage:
  flingdial                                  start the tray application
  flingdial --run MODE LABEL FILE…           run one slice on the files
                                             (MODE: convert, tools or actions)
  flingdial --login on|off                   start at login, or not
  flingdial --render-icon OUT.png|svg [SIZE] draw the application icon
  flingdial --render-menubar OUT.png [SIZE]  draw the tray mark
  flingdial --snapshot OUT.png MODE light|dark FILE…   draw the wheel
  flingdial --help | --version
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
