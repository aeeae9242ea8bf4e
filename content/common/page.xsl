<?xml version="1.0" encoding="UTF-8"?>
<!-- Theory pages of the course: a page element with a title and an XHTML body. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/page">
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
        <div class="page"><xsl:copy-of select="body/node()"/></div>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
