<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/taskpage">
    <html>
      <head>
        <meta charset="utf-8"/>
        <title><xsl:value-of select="@title"/></title>
        <link rel="stylesheet" href="../../common/course.css"/>
      </head>
      <body>
        <div class="band">
          <div class="course"><xsl:value-of select="@course"/></div>
          <h1><xsl:value-of select="@title"/></h1>
        </div>
        <div class="page">
          <p id="intro"><xsl:copy-of select="intro/node()"/></p>
          <p id="start"><button onclick="location.hash='run'">Начать выполнение</button>
            <span class="note"> (или включите «Сразу запускать задания» в меню «Настройки»)</span></p>
          <div id="tasks" style="display:none">
            <xsl:for-each select="task">
              <div class="task" data-answer="{@answer}">
                <div class="q"><xsl:value-of select="position()"/>. <xsl:value-of select="q"/></div>
                <div class="hint"><xsl:value-of select="hint"/></div>
                <p><label>Ответ: <input type="text" size="12"/></label>
                  <button onclick="check(this)">Проверить</button> <span class="result"></span></p>
              </div>
            </xsl:for-each>
          </div>
          <p id="status" class="note"></p>
        </div>
        <script src="../../common/task.js"></script>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
