]
graph [ ]
